/*
 * A host of pelm_dll written as the README shows: plain C, its own
 * declarations of the four functions (no pelm header), the library loaded by
 * name and the functions found by their plain names. The tests build it for
 * Windows (run under wine with pelm_dll.dll) and for Linux (with
 * libpelm_dll.so) and compare the two runs.
 *
 * c_host INPUT
 *
 * The name goes in as a Fortran host passes a CHARACTER variable: in a
 * buffer padded with blanks to 100 characters and followed by other
 * characters, with no terminating zero, its length given by the hidden
 * argument. The run covers t = 0, 0.5, ..., 2 s at the point (12.5, -7, -3)
 * and writes host.csv in the columns of `pelm run`.
 */
#include <stdio.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
#define HOST_CALL __stdcall
static void *load_library(void) { return (void *)LoadLibraryA("pelm_dll.dll"); }
static const char *load_error(void) { return "LoadLibrary failed"; }
static void *find(void *library, const char *name) {
  return (void *)GetProcAddress((HMODULE)library, name);
}
#else
#include <dlfcn.h>
#define HOST_CALL
static void *load_library(void) { return dlopen("libpelm_dll.so", RTLD_NOW); }
static const char *load_error(void) { return dlerror(); }
static void *find(void *library, const char *name) { return dlsym(library, name); }
#endif

typedef void(HOST_CALL *pelm_init)(const char *inputfile, int inputfile_length,
                                   const double *t_start, const double *t_end, const double *dt);
typedef void(HOST_CALL *pelm_set_new_time)(const double *t);
typedef void(HOST_CALL *pelm_get_sea_elevation)(const double *xy, double *eta);
typedef void(HOST_CALL *pelm_get_kinematics)(const double *pos, double *vel, double *acc,
                                             double *pdyn);

int main(int argc, char **argv) {
  void *library;
  pelm_init init;
  pelm_set_new_time set_new_time;
  pelm_get_sea_elevation get_sea_elevation;
  pelm_get_kinematics get_kinematics;
  char name[120];
  double t_start = 0.0, t_end = 2.0, dt = 0.5;
  FILE *csv;
  int k;

  if (argc != 2 || strlen(argv[1]) > 100) {
    fprintf(stderr, "usage: c_host INPUT (at most 100 characters)\n");
    return 2;
  }
  library = load_library();
  if (library == NULL) {
    fprintf(stderr, "c_host: cannot load the pelm_dll library: %s\n", load_error());
    return 1;
  }
  init = (pelm_init)find(library, "init");
  set_new_time = (pelm_set_new_time)find(library, "set_new_time");
  get_sea_elevation = (pelm_get_sea_elevation)find(library, "get_sea_elevation");
  get_kinematics = (pelm_get_kinematics)find(library, "get_kinematics");
  if (!init || !set_new_time || !get_sea_elevation || !get_kinematics) {
    fprintf(stderr, "c_host: a function is missing from the library's exports\n");
    return 1;
  }

  /* CHARACTER(len=100) :: name = INPUT, then unrelated characters. */
  memset(name, ' ', 100);
  memcpy(name, argv[1], strlen(argv[1]));
  memcpy(name + 100, "NOT_PART_OF_THE_NAME", 20);
  init(name, 100, &t_start, &t_end, &dt);

  csv = fopen("host.csv", "wb");
  if (csv == NULL) return 1;
  fprintf(csv, "t,x,y,z,eta,u,v,w,ax,ay,az,pdyn\n");
  for (k = 0; k <= 4; ++k) {
    const double t = t_start + k * dt;
    const double pos[3] = {12.5, -7.0, -3.0};
    double eta = 0.0, vel[3] = {0.0, 0.0, 0.0}, acc[3] = {0.0, 0.0, 0.0}, pdyn = 0.0;
    set_new_time(&t);
    get_sea_elevation(pos, &eta); /* reads pos[0] and pos[1] only */
    get_kinematics(pos, vel, acc, &pdyn);
    fprintf(csv, "%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g\n", t,
            pos[0], pos[1], pos[2], eta, vel[0], vel[1], vel[2], acc[0], acc[1], acc[2], pdyn);
  }
  return fclose(csv) == 0 ? 0 : 1;
}
