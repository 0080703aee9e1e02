/*
 * pelm_dll: wave kinematics for time-domain simulation hosts.
 *
 * Call sequence (one thread):
 *   init(file, length, &t_start, &t_end, &dt);     once, before anything else
 *   then, at every time step:
 *     set_new_time(&t);
 *     get_sea_elevation(xy, &eta);                 any number of points
 *     get_kinematics(pos, vel, acc, &pdyn);        any number of points
 * The calls are not reentrant: all state is process-wide and unguarded.
 * A second init starts again from the library's load values: the earlier
 * set-up is discarded, while the random stream and the file unit numbers
 * continue, being process-wide.
 *
 * Frame and units: SI (m, s, m/s, m/s^2, Pa). x and y horizontal, z vertical
 * and positive upwards, z = 0 at the still-water level, sea bed at z = -h.
 * The dynamic pressure excludes the hydrostatic part.
 *
 * Every number is passed by address. The input-file name is passed as the
 * address of its characters (not terminated) followed by its length as a
 * 32-bit integer by value. No function returns a value: problems are written
 * as message lines on standard output, and a fatal one (an input file that
 * cannot be opened, for one) stops the process.
 *
 * A query whose time or coordinates are not finite numbers gets elevation 0
 * and zero kinematics; every output is finite.
 *
 * On 32-bit Windows the functions use the standard calling convention
 * (__stdcall, the callee removes the arguments) and are exported from
 * pelm_dll.dll under their plain names.
 */
#ifndef PELM_DLL_H
#define PELM_DLL_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define PELM_CALL __stdcall
#else
#define PELM_CALL
#endif

#if defined(_WIN32)
#if defined(PELM_DLL_BUILDING)
#define PELM_API __declspec(dllexport)
#else
#define PELM_API __declspec(dllimport)
#endif
#else
#define PELM_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define PELM_NOEXCEPT noexcept
#else
#define PELM_NOEXCEPT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Reads the input file and sets up the wave model it selects for the host's
   simulation window [t_start, t_end] with time step dt (s). */
PELM_API void PELM_CALL init(const char* inputfile, int32_t inputfile_length,
                             const double* t_start, const double* t_end, const double* dt) PELM_NOEXCEPT;

/* Sets the current time t (s) of every later evaluation. */
PELM_API void PELM_CALL set_new_time(const double* t) PELM_NOEXCEPT;

/* Surface elevation eta (m) above still water at xy = (x, y). */
PELM_API void PELM_CALL get_sea_elevation(const double* xy, double* eta) PELM_NOEXCEPT;

/* Water-particle velocity vel = (u, v, w) (m/s), acceleration acc (m/s^2) and
   dynamic pressure pdyn (Pa) at pos = (x, y, z). Points outside the water get
   zeros (each model's rules are in the README). */
PELM_API void PELM_CALL get_kinematics(const double* pos, double* vel, double* acc,
                                       double* pdyn) PELM_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* PELM_DLL_H */
