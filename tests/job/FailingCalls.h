#pragma once

/// From now on, the C library call named (rename, fsync, fchmod) fails with
/// the error number given; FailCall(nullptr, 0) ends that.
void FailCall(const char* call, int error);
