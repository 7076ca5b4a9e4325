# Every outside dependency of the program, found once for the whole tree; the imported
# targets are global, so any folder links them by name.
# The core's JSON: what a run found, alike for the command, Python and the page.
if(EMSCRIPTEN)
    # Header-only: the build machine's copy, without the rest of its /usr/include, which
    # would hide emscripten's own C library headers.
    find_path(TUNEDECK_NLOHMANN_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    file(COPY ${TUNEDECK_NLOHMANN_INCLUDE}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/host-include)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
    target_include_directories(nlohmann_json::nlohmann_json INTERFACE ${CMAKE_BINARY_DIR}/host-include)
else()
    find_package(nlohmann_json 3 REQUIRED)
endif()
# Scores (MusicXML): pugixml reads the XML, minizip (on zlib) the compressed .mxl. The page
# defines the same two targets from its own builds (cmake/webdependencies.cmake).
if(NOT EMSCRIPTEN)
    find_package(pugixml 1.11 REQUIRED CONFIG)
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET GLOBAL minizip)
    find_package(ZLIB REQUIRED)
    add_library(tunedeck_pugixml INTERFACE IMPORTED GLOBAL)
    # Linked statically where it can be: the reader calls its node functions tens of thousands
    # of times a score, each through the shared library's jump table otherwise. Not into the
    # Python module (built position-independent), which keeps the shared library.
    if(TARGET pugixml::static AND NOT CMAKE_POSITION_INDEPENDENT_CODE)
        target_link_libraries(tunedeck_pugixml INTERFACE pugixml::static)
    else()
        target_link_libraries(tunedeck_pugixml INTERFACE pugixml::pugixml)
    endif()
    add_library(tunedeck_minizip INTERFACE IMPORTED GLOBAL)
    target_link_libraries(tunedeck_minizip INTERFACE PkgConfig::MINIZIP ZLIB::ZLIB)
    # An .mxl's score unpacked and checked by libdeflate, a few times faster than zlib; the
    # page goes on with zlib alone.
    pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET GLOBAL libdeflate)
    add_library(tunedeck_deflate INTERFACE IMPORTED GLOBAL)
    target_link_libraries(tunedeck_deflate INTERFACE PkgConfig::LIBDEFLATE)
    target_compile_definitions(tunedeck_deflate INTERFACE TUNEDECK_WITH_LIBDEFLATE)
endif()
if(NOT TUNEDECK_FUZZ AND TUNEDECK_BUILD_TOOLS)
    # The scoring tools' command lines (tools/), header-only.
    find_package(CLI11 2.1 REQUIRED CONFIG GLOBAL)
    # The chord model's fit (tools/chordscore): L-BFGS from LBFGS++ on Eigen, header-only.
    find_package(Eigen3 3.3 REQUIRED CONFIG GLOBAL)
    find_path(TUNEDECK_LBFGSPP_INCLUDE LBFGS.h PATH_SUFFIXES LBFGSpp/.. REQUIRED)
    add_library(lbfgspp INTERFACE IMPORTED GLOBAL)
    target_include_directories(lbfgspp INTERFACE ${TUNEDECK_LBFGSPP_INCLUDE})
    target_link_libraries(lbfgspp INTERFACE Eigen3::Eigen)
endif()
if(TUNEDECK_FUZZ OR NOT TUNEDECK_WITH_QT)
    return()
endif()
find_package(PkgConfig REQUIRED)
set(qt_components Core Gui Widgets Svg)
if(TUNEDECK_BUILD_TESTS)
    list(APPEND qt_components Test)
endif()
find_package(Qt6 6.4 REQUIRED COMPONENTS ${qt_components})
# The synthesizer that plays, and WAV writing.
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET GLOBAL fluidsynth)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET GLOBAL sndfile)
# The machine's MIDI ports; without them the program builds with none.
if(TUNEDECK_WITH_RTMIDI)
    pkg_check_modules(RTMIDI IMPORTED_TARGET GLOBAL rtmidi)
endif()
if(RTMIDI_FOUND)
    # JACK's own library lets listing tell a missing server without JACK's complaints.
    pkg_check_modules(JACK IMPORTED_TARGET GLOBAL jack)
else()
    message(STATUS "RtMidi not found: no MIDI ports (Debian: librtmidi-dev)")
endif()
