# Sound fixtures: short Ogg Vorbis files generated with sox and oggenc into the build tree,
# built before the sound test programs and the sound benchmark that read them.
find_program(QV_SOX sox)
find_program(QV_OGGENC oggenc)
set(QV_SOUND_FIXTURE_DIR ${CMAKE_BINARY_DIR}/sound_fixtures)

if(QV_SOX AND QV_OGGENC)
  set(qv_sound_fixtures)
  # name, channels, then the sox effect arguments (the rate comes before -n, so sox
  # synthesises at 44.1 kHz, or QV_FIXTURE_RATE, instead of resampling).
  function(qv_sound_fixture name channels)
    set(wav ${QV_SOUND_FIXTURE_DIR}/${name}.wav)
    set(ogg ${QV_SOUND_FIXTURE_DIR}/${name}.ogg)
    set(rate 44100)
    if(QV_FIXTURE_RATE)
      set(rate ${QV_FIXTURE_RATE})
    endif()
    add_custom_command(OUTPUT ${ogg}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${QV_SOUND_FIXTURE_DIR}
      COMMAND ${QV_SOX} -D -r ${rate} -c ${channels} -n -b 16 ${wav} ${ARGN}
      COMMAND ${QV_OGGENC} -Q -o ${ogg} ${wav}
      COMMAND ${CMAKE_COMMAND} -E remove ${wav}
      VERBATIM)
    set(qv_sound_fixtures ${qv_sound_fixtures} ${ogg} PARENT_SCOPE)
  endfunction()

  qv_sound_fixture(m199 1 synth 1.99 sine 440)
  qv_sound_fixture(m200 1 synth 2.0 sine 440)
  qv_sound_fixture(mono100k 1 synth 50000s sine 440)
  qv_sound_fixture(tone010 1 synth 0.1 sine 440)
  qv_sound_fixture(switch 1 synth 0.15 sine 880)
  qv_sound_fixture(tone030 1 synth 0.3 sine 440)
  qv_sound_fixture(stereo020 2 synth 0.2 sine 440 sine 660)
  qv_sound_fixture(three020 3 synth 0.2 sine 440)
  qv_sound_fixture(empty 1 synth 0.1 sine 440 trim 0 0)
  qv_sound_fixture(tone10s 1 synth 10 sine 440)
  qv_sound_fixture(music60s 2 synth 60 sine 440 sine 660)
  # Short blocks, so an underrun happens within a fraction of a second.
  set(QV_FIXTURE_RATE 192000)
  qv_sound_fixture(tone06s192k 1 synth 0.6 sine 440)
  unset(QV_FIXTURE_RATE)

  # Two links of different formats in one file.
  set(chained ${QV_SOUND_FIXTURE_DIR}/chained.ogg)
  add_custom_command(OUTPUT ${chained}
    COMMAND ${CMAKE_COMMAND} -E cat ${QV_SOUND_FIXTURE_DIR}/tone010.ogg
            ${QV_SOUND_FIXTURE_DIR}/stereo020.ogg > ${chained}
    DEPENDS ${QV_SOUND_FIXTURE_DIR}/tone010.ogg ${QV_SOUND_FIXTURE_DIR}/stereo020.ogg)
  list(APPEND qv_sound_fixtures ${chained})

  add_custom_target(qv_sound_fixtures DEPENDS ${qv_sound_fixtures})
else()
  message(WARNING "sox or oggenc missing: the sound tests will skip their fixture cases")
  add_custom_target(qv_sound_fixtures)
endif()

# The test and benchmark targets are made after this file is read.
function(qv_sound_fixture_users)
  foreach(target particlesound_test musicmanager_test mainmenu_test options_test customtextedit_test
                 searchscreen_test puzzles_test gamescreens_test soundsource_test soundplayer_test soundvoice_test
                 soundstream_test soundmanager_test
                 sound_test soundcapture_test soundstall_test soundnodevice_test platform_sound_test
                 sound_bench)
    if(TARGET ${target})
      add_dependencies(${target} qv_sound_fixtures)
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qv_sound_fixture_users)
