# corvox_layer(<target> DIRS <folders under src/> [DEPS <targets>] [PRIVATE_DEPS <targets>]
#              [EXCLUDE <sources>])
#
# One static library per layer. Its include root (build/include/<target>) holds links to its
# own folders only, so a source sees its own headers and those of the layers it depends on,
# and an include that points upward fails to build. Sources under a ui/ folder below a listed
# folder are left out: they belong to the Qt shell.
function(corvox_layer target)
  cmake_parse_arguments(LAYER "" "" "DIRS;DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  set(sources)
  foreach(dir ${LAYER_DIRS})
    get_filename_component(parent ${root}/${dir} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${dir} ${root}/${dir} SYMBOLIC)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${dir}/*.cpp)
    # A subsystem's ui/ folder is the Qt shell's, built by its own layer.
    list(FILTER found EXCLUDE REGEX "^${PROJECT_SOURCE_DIR}/src/${dir}/(.+/)?ui/")
    list(APPEND sources ${found})
  endforeach()
  foreach(excluded ${LAYER_EXCLUDE})
    list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/src/${excluded})
  endforeach()
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${root})
  target_link_libraries(${target} PUBLIC ${LAYER_DEPS} PRIVATE ${LAYER_PRIVATE_DEPS})
endfunction()

# FFmpeg's headers sit on the compiler's default path. Layers that must not use FFmpeg get a
# folder of same-named headers that stop the build, searched before the default path.
function(corvox_forbid_ffmpeg)
  set(poison ${CMAKE_BINARY_DIR}/include/no-ffmpeg)
  if(NOT EXISTS ${poison})
    execute_process(COMMAND pkg-config --variable=includedir libavcodec
                    OUTPUT_VARIABLE ffmpeg_root OUTPUT_STRIP_TRAILING_WHITESPACE)
    foreach(lib libavcodec libavformat libavutil libswresample libavfilter libavdevice libswscale)
      file(GLOB_RECURSE headers RELATIVE ${ffmpeg_root} ${ffmpeg_root}/${lib}/*.h)
      foreach(header ${headers})
        file(WRITE ${poison}/${header}
             "#error \"FFmpeg is private to the codecs layer (src/platform/codecs)\"\n")
      endforeach()
    endforeach()
  endif()
  foreach(target ${ARGN})
    target_include_directories(${target} BEFORE PRIVATE ${poison})
  endforeach()
endfunction()
