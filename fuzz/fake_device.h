#ifndef ZELK_FUZZ_FAKE_DEVICE_H
#define ZELK_FUZZ_FAKE_DEVICE_H

// How many device operations have been called since the count was last reset.
extern int fakeDeviceCalls;

#endif
