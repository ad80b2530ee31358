# Shared settings of every target, and the one way tests are declared.
include(GoogleTest)
# Seconds a test may take; ./dev raises it where the tests run emulated.
set(ZT_TEST_TIMEOUT 120 CACHE STRING "Seconds a test may take")
# Under emulation starting a Windows process costs tens of seconds, so there
# each test program is one ctest test instead of one per test case.
option(ZT_WHOLE_TEST_PROGRAMS "One ctest test per test program" OFF)

if(WIN32)
  set(ZT_WINDOWS ON)
  # ./dev names the Wine of each width: on a kernel that runs no 32-bit
  # programs the i686 tree's loader is a launcher into qemu's emulation, and
  # its tests get more time.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ZT_WINEARCH win64)
    set(ZT_WINELOADER /usr/lib/wine/wine64 CACHE FILEPATH "Wine loader of this tree")
    set(ZT_WINESERVER /usr/lib/wine/wineserver64 CACHE FILEPATH "wineserver of this tree")
  else()
    set(ZT_WINEARCH win32)
    set(ZT_WINELOADER /usr/lib/wine/wine CACHE FILEPATH "Wine loader of this tree")
    set(ZT_WINESERVER /usr/lib/wine/wineserver32 CACHE FILEPATH "wineserver of this tree")
  endif()
  set(ZT_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  # Shared libraries are built beside zettlies.exe; test programs elsewhere in
  # the tree find them through WINEPATH.
  set(ZT_SHARED_LIBRARY_DIR ${CMAKE_BINARY_DIR}/app)
  string(REPLACE "/" "\\\\" ZT_WINEPATH "Z:${ZT_SHARED_LIBRARY_DIR}")
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
  # Tests that play sound set ZT_NULL_AUDIO_HOME to this folder (wine-run
  # then gives Wine ALSA's null device).
  set(ZT_NULL_AUDIO_HOME ${CMAKE_BINARY_DIR}/null-audio-home)
  file(WRITE ${ZT_NULL_AUDIO_HOME}/.asoundrc "pcm.!default { type null }\n")
  add_compile_definitions(WINVER=0x0600 _WIN32_WINNT=0x0600 _WIN32_IE=0x0600 STRICT NOMINMAX)
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(ZT_SYSTEM_LIBS gdi32 comdlg32 winmm msimg32 shell32 ole32 oleaut32 uuid comctl32 psapi
      vfw32 winspool oledlg version advapi32 user32 kernel32)
else()
  set(ZT_WINDOWS OFF)
  # The portable cores read files and data from other programs: run their
  # tests under the sanitizers so an out-of-bounds read fails loudly.
  set(ZT_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${ZT_SANITIZE})
  add_link_options(${ZT_SANITIZE})
endif()
add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)

# zt_add_test(name SOURCES ... [LIBS ...] [PROPERTIES ...])
function(zt_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  if(ZT_WINDOWS)
    target_link_libraries(${name} PRIVATE ${ZT_SYSTEM_LIBS})
  endif()
  if(ZT_WHOLE_TEST_PROGRAMS)
    add_test(NAME ${name} COMMAND ${name})
    # A test's own TIMEOUT, given among its properties, wins over the default.
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ZT_TEST_TIMEOUT} ${T_PROPERTIES})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT ${ZT_TEST_TIMEOUT}
                         PROPERTIES TIMEOUT ${ZT_TEST_TIMEOUT} ${T_PROPERTIES})
  endif()
endfunction()

# zt_add_stdcall_library(name DEF file.def.in SOURCES ...)
# A DLL beside zettlies.exe whose __stdcall exports keep their plain names.
# On i686 callers ask for the decorated names (Name@4), so the .def lists
# those: the linker strips them from the export table (--kill-at) and dlltool
# makes the import library again so the decorated references find the plain
# exports. The .def.in writes @STDCALL_0@, @STDCALL_4@, @STDCALL_8@ or @STDCALL_16@ after each name, by
# the bytes of its arguments.
function(zt_add_stdcall_library name)
  cmake_parse_arguments(L "" "DEF" "SOURCES" ${ARGN})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(STDCALL_0 "@0")
    set(STDCALL_4 "@4")
    set(STDCALL_8 "@8")
    set(STDCALL_16 "@16")
  else()
    set(STDCALL_0 "")
    set(STDCALL_4 "")
    set(STDCALL_8 "")
    set(STDCALL_16 "")
  endif()
  set(def ${CMAKE_CURRENT_BINARY_DIR}/${name}.def)
  configure_file(${L_DEF} ${def} @ONLY)
  add_library(${name} SHARED ${L_SOURCES} ${def})
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
    RUNTIME_OUTPUT_DIRECTORY ${ZT_SHARED_LIBRARY_DIR})
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_link_options(${name} PRIVATE -Wl,--kill-at)
    add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_DLLTOOL} --kill-at -d ${def} -D ${name}.dll -l $<TARGET_LINKER_FILE:${name}>
      VERBATIM)
  endif()
endfunction()

# zt_copy_dictionaries(folder): the spell check's dictionaries, Debian's
# English and German hunspell pairs, copied into folder/zettlies_dic (the
# folder beside the program where it looks for them). A pair that is not
# installed is left out.
set(ZT_DICTIONARY_SOURCE_DIR /usr/share/hunspell CACHE PATH "Folder of the installed .aff/.dic pairs")
function(zt_copy_dictionaries folder)
  foreach(name en_US de_DE)
    if(EXISTS ${ZT_DICTIONARY_SOURCE_DIR}/${name}.aff AND EXISTS ${ZT_DICTIONARY_SOURCE_DIR}/${name}.dic)
      configure_file(${ZT_DICTIONARY_SOURCE_DIR}/${name}.aff ${folder}/zettlies_dic/${name}.aff COPYONLY)
      configure_file(${ZT_DICTIONARY_SOURCE_DIR}/${name}.dic ${folder}/zettlies_dic/${name}.dic COPYONLY)
    endif()
  endforeach()
endfunction()
