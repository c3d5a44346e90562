// ThreadSanitizer sees none of the locks inside an uninstrumented Qt, so the queued call that
// carries a worker's message box to the user-interface thread and its answer back looks like a
// race. That hand-over alone is excused, in the tests labelled tsan.
extern "C" const char* __tsan_default_suppressions() {
    return "race:framework/message_box.cpp\n";
}
