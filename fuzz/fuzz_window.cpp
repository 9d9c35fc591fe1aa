// Image content from the fuzzer, opened and drawn through the main window
// itself: the same target as fuzz_image, taking the window's route every time.

#define QUORVAN_FUZZ_THROUGH_WINDOW 1
#include "fuzz_image.cpp"
