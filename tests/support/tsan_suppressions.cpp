// ThreadSanitizer sees nothing inside an uninstrumented Qt: neither its locks nor its own
// threads' hand-overs. So Qt's calls into the allocator and memcpy go unrecorded, and the queued
// call that carries a worker's message box to the user-interface thread and its answer back is
// excused; in the tests labelled tsan.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so\n"
           "called_from_lib:libQt6Gui.so\n"
           "called_from_lib:libQt6Widgets.so\n"
           "race:framework/message_box.cpp\n";
}
