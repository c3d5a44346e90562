// Tests that need a network of their own (multicast groups, routes) run in a network
// namespace: lo up with multicast on and a route for 224.0.0.0/4. The namespace must be made
// before the process has a second thread, so main enters it when the run selects only tests
// of suites registered here; ctest runs every test alone, so each gets a namespace of its own.
#pragma once

#include <string>

// Registers suite's tests as running in a network namespace; call it from a static
// initialiser. Returns true.
bool RunInNetworkNamespace(const char* suite);

// From main, before QApplication: enters a namespace when the filter selects only registered
// suites; otherwise, or when none can be made, records why for WhyNoNetworkNamespace.
void EnterNetworkNamespaceIfSelected();

// Empty in the namespace; otherwise why the test is not in one, to skip it with.
const std::string& WhyNoNetworkNamespace();

// Gives this process the namespaces of `flags` (CLONE_NEW*), inside a user namespace of its
// own whose root it is when it lacks the privilege. Empty once done; otherwise why not.
std::string UnshareAsRoot(int flags);
