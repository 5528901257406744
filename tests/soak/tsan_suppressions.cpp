// ThreadSanitizer reads these when the tests are built with -fsanitize=thread; otherwise the
// function is never called.
//
// The PC's port threads are QThreads, and Qt's libraries are not built with the sanitizer: the end
// of a QThread wakes its joiner through a futex the sanitizer does not see, so destroying the
// finished thread's wait condition looks like a race inside Qt. Only those Qt frames are silenced.

extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions()
{
    return "race:QWaitCondition::wakeAll\n"
           "race:QWaitCondition::~QWaitCondition\n";
}
