// libsane and its test scanner keep a few allocations (configuration folders, read buffers) to
// the end of the process: the sanitized build's leak check leaves those out, and only those.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libsane\n";
}
