// A tiny library the module tests load.
extern "C" __attribute__((visibility("default"))) int TestModuleAnswer() { return 42; }
