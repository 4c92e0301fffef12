extern "C" __attribute__((visibility("default"))) void retro_init() { __builtin_trap(); }
