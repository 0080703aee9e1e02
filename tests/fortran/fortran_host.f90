! A Fortran host of the library through the pelm_dll module: the same run as
! tests/windows/linked_host.c (t = 0, 0.5, ..., 2 s at (3, 4, -8)), written
! to host.csv in the columns of `pelm run`.
!
!   fortran_host INPUT
program fortran_host
  use, intrinsic :: iso_c_binding, only: c_double, c_int32_t
  use pelm_dll
  implicit none
  character(len=1024) :: input
  real(c_double) :: t_start, t_end, dt, t, eta, pdyn
  real(c_double) :: pos(3), vel(3), acc(3)
  integer :: k, unit

  if (command_argument_count() /= 1) then
    write (*, '(a)') 'usage: fortran_host INPUT'
    stop 2
  end if
  call get_command_argument(1, input)
  t_start = 0.0_c_double
  t_end = 2.0_c_double
  dt = 0.5_c_double
  pos = [3.0_c_double, 4.0_c_double, -8.0_c_double]
  call init(input, int(len_trim(input), c_int32_t), t_start, t_end, dt)

  open (newunit=unit, file='host.csv', status='replace', action='write')
  write (unit, '(a)') 't,x,y,z,eta,u,v,w,ax,ay,az,pdyn'
  do k = 0, 4
    t = t_start + k*dt
    eta = 0.0_c_double
    vel = 0.0_c_double
    acc = 0.0_c_double
    pdyn = 0.0_c_double
    call set_new_time(t)
    call get_sea_elevation(pos(1:2), eta)
    call get_kinematics(pos, vel, acc, pdyn)
    write (unit, '(a)') row([t, pos, eta, vel, acc, pdyn])
  end do
  close (unit)

contains

  ! The values with all 17 significant digits, separated by commas.
  function row(values) result(line)
    real(c_double), intent(in) :: values(:)
    character(len=:), allocatable :: line
    character(len=32) :: field
    integer :: i
    line = ''
    do i = 1, size(values)
      write (field, '(es25.16e3)') values(i)
      if (i > 1) line = line//','
      line = line//trim(adjustl(field))
    end do
  end function row
end program fortran_host
