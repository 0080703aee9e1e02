#pragma once
// How much memory one set-up may ask for.
//
// The library's target is a 32-bit host: about 2 GiB of address space in
// all, shared with the host's own data and fragmented, so a table of more
// than 1 GiB would fail there whatever the machine has. The same budget holds
// on every platform, so that an input is set up or refused alike on the
// 32-bit DLL, the 64-bit builds and Linux, and a faulty size is refused with
// a message before anything is allocated instead of exhausting a machine.

namespace pelm {

inline constexpr double kMaxSetUpBytes = 1024.0 * 1024.0 * 1024.0;

}  // namespace pelm
