# Header-only libraries of the build machine for a cross build: each gets a
# folder of its own that links only that library's headers, since the whole
# of the build machine's /usr/include would shadow the target's C library.
#
#   snesenie_host_headers(VAR HEADER NAME)
# finds HEADER (e.g. boost/multiprecision/cpp_bin_float.hpp) and sets VAR to
# an include folder that holds NAME (its top folder, e.g. boost) and nothing
# else; in a native build, simply to where HEADER was found.
#
# The folder found is cached as SNESENIE_<NAME>_INCLUDE (SNESENIE_BOOST_INCLUDE),
# which can also be given on the command line.
function(snesenie_host_headers var header name)
  string(TOUPPER ${name} upper)
  set(root SNESENIE_${upper}_INCLUDE)
  find_path(${root} ${header} NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ${root})
    message(FATAL_ERROR "${header} not found: give its folder as -D${root}=…")
  endif()
  if(NOT CMAKE_CROSSCOMPILING)
    set(${var} ${${root}} PARENT_SCOPE)
    return()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/host-headers/${name})
  file(MAKE_DIRECTORY ${dir})
  file(CREATE_LINK ${${root}}/${name} ${dir}/${name} SYMBOLIC)
  set(${var} ${dir} PARENT_SCOPE)
endfunction()
