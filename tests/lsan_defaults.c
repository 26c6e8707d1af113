/* Linked into every test program. LeakSanitizer asks for this when it starts; it names the only
 * memory that may stay allocated at exit: fontconfig's process-wide configuration, which it keeps
 * by design. Only that library's frames are named, so a leak in our code still fails the test. */
const char* __lsan_default_suppressions(void);

const char* __lsan_default_suppressions(void)
{
    return "leak:libfontconfig.so\n";
}
