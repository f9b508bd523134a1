#pragma once

// Marks a pixel loop that works on one thread's own region and reads shared tables that
// never change: the thread sanitizer's checks of every sample would only make it a hundred
// times slower, and there is nothing for them to find.
#if defined(__SANITIZE_THREAD__)
#define PIXEL_LOOP __attribute__((no_sanitize("thread")))
#else
#define PIXEL_LOOP
#endif
