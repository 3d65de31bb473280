# The game's pictures and sounds: drawn with Cairo by tools/mkgameart.py and made with sox and
# oggenc by tools/mkgamesounds.sh into the build's generated data (assets/images, assets/audio),
# where the program finds them beside data/assets. The scenes and configurations that name
# them are committed under data/assets.
if(NOT QV_FUZZ)
  # Debian's python3 carries python3-cairo; another python3 first on the PATH may not.
  find_program(QV_ART_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
  if(NOT QV_ART_PYTHON)
    find_program(QV_ART_PYTHON python3)
  endif()
  find_program(QV_SOX_PROGRAM sox)
  find_program(QV_OGGENC_PROGRAM oggenc)
  if(QV_ART_PYTHON)
    execute_process(COMMAND ${QV_ART_PYTHON} -c "import cairo" RESULT_VARIABLE qv_no_cairo
                    OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(NOT QV_ART_PYTHON OR qv_no_cairo OR NOT QV_SOX_PROGRAM OR NOT QV_OGGENC_PROGRAM)
    message(FATAL_ERROR "The game's pictures need python3 with Cairo, its sounds sox and oggenc "
                        "(tools/install-deps.sh installs python3-cairo, sox and vorbis-tools)")
  endif()

  set(QV_GAME_ASSETS ${QV_GENERATED_DATA_DIR}/assets)
  file(GLOB qv_art_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/gameart/*.py)
  add_custom_command(OUTPUT ${QV_GAME_ASSETS}/images/gameart.stamp
    COMMAND ${QV_ART_PYTHON} ${CMAKE_SOURCE_DIR}/tools/mkgameart.py ${QV_GAME_ASSETS}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/mkgameart.py ${qv_art_sources}
    COMMENT "Drawing the game's pictures into ${QV_GAME_ASSETS}/images"
    VERBATIM)
  add_custom_command(OUTPUT ${QV_GAME_ASSETS}/audio/gamesounds.stamp
    COMMAND ${CMAKE_SOURCE_DIR}/tools/mkgamesounds.sh ${QV_GAME_ASSETS}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/mkgamesounds.sh
    COMMENT "Making the game's music and sounds into ${QV_GAME_ASSETS}/audio"
    VERBATIM)
  add_custom_target(gamedata ALL DEPENDS ${QV_GAME_ASSETS}/images/gameart.stamp
                                         ${QV_GAME_ASSETS}/audio/gamesounds.stamp)

  # Whatever runs the game on its own data needs the pictures and sounds first.
  function(qv_gamedata_dependencies)
    foreach(target quillmoor qv_e2e_harness gamedata_test game_bench startup_bench searchroom_bench)
      if(TARGET ${target})
        add_dependencies(${target} gamedata)
      endif()
    endforeach()
  endfunction()
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qv_gamedata_dependencies)
endif()
