/* Compiled as C so that the public header stays includable from C hosts. */
#include "pelm_dll.h"

typedef void(PELM_CALL* init_function)(const char*, int32_t, const double*, const double*,
                                       const double*);

init_function pelm_header_check_init(void) { return &init; }
