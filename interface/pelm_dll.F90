! pelm_dll: the four functions of the wave-kinematics library for Fortran
! hosts (gfortran and Intel Fortran), the counterpart of pelm_dll.h.
!
!   use pelm_dll
!   call init(name, len_trim(name), t_start, t_end, dt)   ! once, first
!   call set_new_time(t)                                   ! every step
!   call get_sea_elevation(xy, eta)
!   call get_kinematics(pos, vel, acc, pdyn)
!
! The library takes the input-file name as the address of its characters
! followed by their count as a 32-bit integer passed by value. Where a
! Fortran compiler puts a character argument's hidden length differs:
!   - gfortran: at the end of the argument list (after dt), as a size_t;
!   - Intel Fortran on Windows, default /iface:default: at the end of the
!     list as well (nomixed_str_len_arg), with the C calling convention;
!   - Intel Fortran with /iface:cvf (the Compaq Visual Fortran convention):
!     right after the character argument (mixed_str_len_arg), with
!     __stdcall on 32-bit Windows: the one layout that matches a call of
!     init written without this module.
! With this module every compiler passes the length explicitly in its place
! (a bind(c) interface has no hidden length), so one host source works with
! any of them: pass len_trim(name) or len(name) (trailing blanks are ignored).

! Frame and units: SI (m, s, m/s, m/s^2, Pa); x, y horizontal, z up from the
! still-water level, bed at z = -h. Every number is passed by address. The
! calls are not reentrant: call the library from one thread.
!
! On 32-bit Windows the library uses the standard calling convention, which
! the directives below declare (each compiler ignores the other's). The file
! is preprocessed (.F90) so that they appear only there, since gfortran warns
! that the attribute is ignored elsewhere. Intel Fortran's preprocessor
! knows its target; gfortran's does not, so a gfortran host for 32-bit
! Windows compiles this file with -DPELM_STDCALL.
#if defined(_WIN32) && defined(_M_IX86) && !defined(PELM_STDCALL)
#define PELM_STDCALL
#endif
module pelm_dll
  use, intrinsic :: iso_c_binding, only: c_char, c_double, c_int32_t
  implicit none
  private
  public :: init, set_new_time, get_sea_elevation, get_kinematics

  interface
    ! Reads the input file and sets up its wave model for the simulation
    ! window [t_start, t_end] with time step dt (s).
    subroutine init(inputfile, inputfile_length, t_start, t_end, dt) bind(c, name='init')
      import :: c_char, c_double, c_int32_t
#ifdef PELM_STDCALL
      !GCC$ ATTRIBUTES STDCALL :: init
      !DEC$ ATTRIBUTES STDCALL :: init
#endif
      character(kind=c_char), dimension(*), intent(in) :: inputfile
      integer(c_int32_t), value, intent(in) :: inputfile_length
      real(c_double), intent(in) :: t_start, t_end, dt
    end subroutine init

    ! Sets the current time t (s) of every later evaluation.
    subroutine set_new_time(t) bind(c, name='set_new_time')
      import :: c_double
#ifdef PELM_STDCALL
      !GCC$ ATTRIBUTES STDCALL :: set_new_time
      !DEC$ ATTRIBUTES STDCALL :: set_new_time
#endif
      real(c_double), intent(in) :: t
    end subroutine set_new_time

    ! Surface elevation eta (m) above still water at xy = (x, y).
    subroutine get_sea_elevation(xy, eta) bind(c, name='get_sea_elevation')
      import :: c_double
#ifdef PELM_STDCALL
      !GCC$ ATTRIBUTES STDCALL :: get_sea_elevation
      !DEC$ ATTRIBUTES STDCALL :: get_sea_elevation
#endif
      real(c_double), dimension(2), intent(in) :: xy
      real(c_double), intent(inout) :: eta
    end subroutine get_sea_elevation

    ! Velocity vel (m/s), acceleration acc (m/s^2) and dynamic pressure pdyn
    ! (Pa) at pos = (x, y, z). Outputs are left as passed when no model is set up.
    subroutine get_kinematics(pos, vel, acc, pdyn) bind(c, name='get_kinematics')
      import :: c_double
#ifdef PELM_STDCALL
      !GCC$ ATTRIBUTES STDCALL :: get_kinematics
      !DEC$ ATTRIBUTES STDCALL :: get_kinematics
#endif
      real(c_double), dimension(3), intent(in) :: pos
      real(c_double), dimension(3), intent(inout) :: vel, acc
      real(c_double), intent(inout) :: pdyn
    end subroutine get_kinematics
  end interface
end module pelm_dll
