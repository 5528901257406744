// ThreadSanitizer reads these when the tests are built with -fsanitize=thread; otherwise the
// function is never called.
//
// Qt's own libraries are not built with ThreadSanitizer. A QThread ends with Qt waking its waiters
// through a futex that the sanitizer cannot see, so deleting a finished QThread looks like a race
// with the thread's last steps inside Qt. Only those Qt-internal frames are silenced; the port
// thread's work is made visible to the joiner by an acquire of a flag the body releases last.

extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions()
{
    return "race:QWaitCondition::wakeAll\n"
           "race:QWaitCondition::~QWaitCondition\n";
}
