// Leak reports to ignore under LeakSanitizer: fontconfig keeps its caches for the life of
// the process when Qt lays out text.

extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
