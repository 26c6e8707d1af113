// Visibility of the library's C++ classes: everything else in libkivo-gui.so is hidden.
#pragma once

#if defined(__GNUC__)
#define KIVO_EXPORT __attribute__((visibility("default")))
#else
#define KIVO_EXPORT
#endif
