/*
 * A host linked against the library at load time through the public header
 * (on Windows through the import library libpelm_dll.dll.a, which must carry
 * the decorated __stdcall symbols while the DLL exports plain names).
 *
 * linked_host INPUT
 *
 * Evaluates t = 0, 0.5, ..., 2 s at (3, 4, -8) and writes host.csv in the
 * columns of `pelm run`.
 */
#include <stdio.h>
#include <string.h>

#include "pelm_dll.h"

int main(int argc, char **argv) {
  const double t_start = 0.0, t_end = 2.0, dt = 0.5;
  const double pos[3] = {3.0, 4.0, -8.0};
  FILE *csv;
  int k;
  if (argc != 2) {
    fprintf(stderr, "usage: linked_host INPUT\n");
    return 2;
  }
  init(argv[1], (int32_t)strlen(argv[1]), &t_start, &t_end, &dt);
  csv = fopen("host.csv", "wb");
  if (csv == NULL) return 1;
  fprintf(csv, "t,x,y,z,eta,u,v,w,ax,ay,az,pdyn\n");
  for (k = 0; k <= 4; ++k) {
    const double t = t_start + k * dt;
    double eta = 0.0, vel[3] = {0.0, 0.0, 0.0}, acc[3] = {0.0, 0.0, 0.0}, pdyn = 0.0;
    set_new_time(&t);
    get_sea_elevation(pos, &eta);
    get_kinematics(pos, vel, acc, &pdyn);
    fprintf(csv, "%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g,%.17g\n", t,
            pos[0], pos[1], pos[2], eta, vel[0], vel[1], vel[2], acc[0], acc[1], acc[2], pdyn);
  }
  return fclose(csv) == 0 ? 0 : 1;
}
