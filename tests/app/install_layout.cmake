cmake_minimum_required(VERSION 3.25)
# Installs the build into a scratch prefix and checks the layout a desktop and a user rely on:
# the program and its libraries in lib/novari-adjust, bin/novari-adjust linking to it, the
# program's RUNPATH, the virtual printer and its tools, the desktop entry, the icon, the
# manual pages and the CD-R sample job.
#   cmake -DBUILD_DIR=... -DPREFIX=... -P install_layout.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()

set(program_dir "${PREFIX}/lib/novari-adjust")
foreach(file novari-adjust libportgate.so libchanlink.so libbytetext.so novari-printer-sim
             print-stream-file print-test-stream send-stream.py)
  if(NOT EXISTS "${program_dir}/${file}")
    message(FATAL_ERROR "missing ${program_dir}/${file}")
  endif()
endforeach()

foreach(command novari-adjust novari-printer-sim)
  set(link "${PREFIX}/bin/${command}")
  if(NOT IS_SYMLINK "${link}")
    message(FATAL_ERROR "${link} is not a symbolic link")
  endif()
  file(READ_SYMLINK "${link}" target)
  if(NOT target STREQUAL "../lib/novari-adjust/${command}")
    message(FATAL_ERROR "${link} points to ${target}")
  endif()
  file(REAL_PATH "${link}" resolved)
  file(REAL_PATH "${program_dir}/${command}" program)
  if(NOT resolved STREQUAL program)
    message(FATAL_ERROR "${link} resolves to ${resolved}")
  endif()
endforeach()

execute_process(COMMAND readelf -d "${program_dir}/novari-adjust" OUTPUT_VARIABLE dynamic)
if(NOT dynamic MATCHES "RUNPATH\\)[^\n]*\\[\\$ORIGIN\\]")
  message(FATAL_ERROR "the program's RUNPATH is not $ORIGIN alone:\n${dynamic}")
endif()

set(entry "${PREFIX}/share/applications/novari-adjust.desktop")
if(NOT EXISTS "${entry}")
  message(FATAL_ERROR "missing ${entry}")
endif()
file(STRINGS "${entry}" lines)
foreach(expected "Exec=novari-adjust" "Icon=novari-adjust" "Type=Application")
  if(NOT expected IN_LIST lines)
    message(FATAL_ERROR "${entry} lacks ${expected}")
  endif()
endforeach()
if(NOT EXISTS "${PREFIX}/share/icons/hicolor/scalable/apps/novari-adjust.svg")
  message(FATAL_ERROR "missing the icon")
endif()
foreach(file share/man/man1/novari-adjust.1.gz share/man/man1/novari-printer-sim.1.gz
             share/novari-adjust/CD-R2.prn share/doc/novari-adjust/copyright)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "missing ${PREFIX}/${file}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "install layout ok")
