# Vector fonts: ttf2mvec converts DejaVu Sans into the ".mvec" fonts the game's data names
# (written into the build's generated data, assets/fonts/) and can regenerate the built-in
# font's byte array.
find_package(Freetype QUIET)
set(QV_FONT_SOURCE /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf)
if(FREETYPE_FOUND AND NOT QV_FUZZ AND EXISTS ${QV_FONT_SOURCE})
  add_executable(ttf2mvec ${CMAKE_SOURCE_DIR}/tools/ttf2mvec.cpp)
  target_link_libraries(ttf2mvec PRIVATE quorvant Freetype::Freetype)
  set(QV_FONT_DIR ${QV_GENERATED_DATA_DIR}/assets/fonts)
  set(qv_fonts)
  foreach(font default arial)
    add_custom_command(OUTPUT ${QV_FONT_DIR}/${font}.mvec
      COMMAND ${CMAKE_COMMAND} -E make_directory ${QV_FONT_DIR}
      COMMAND ttf2mvec ${QV_FONT_SOURCE} ${QV_FONT_DIR}/${font}.mvec
      DEPENDS ttf2mvec ${QV_FONT_SOURCE}
      COMMENT "Converting ${QV_FONT_SOURCE} into fonts/${font}.mvec")
    list(APPEND qv_fonts ${QV_FONT_DIR}/${font}.mvec)
  endforeach()
  add_custom_target(fonts ALL DEPENDS ${qv_fonts})
  # Not part of the build: rewrites the committed byte array of the built-in font.
  add_custom_target(regenerate_default_font
    COMMAND ttf2mvec ${QV_FONT_SOURCE} ${CMAKE_BINARY_DIR}/builtin.mvec
            --cpp ${CMAKE_SOURCE_DIR}/src/core/graphics/defaultfont.cpp
    DEPENDS ttf2mvec)
endif()

# The glyph coverage test draws the generated fonts through the engine and through
# FreeType's rasteriser as an oracle; it must not drop out of a build with tests.
if(QV_TESTS AND NOT QV_FUZZ AND NOT FREETYPE_FOUND)
  message(FATAL_ERROR "FreeType not found (tools/install-deps.sh installs libfreetype-dev)")
endif()
function(qv_glyph_oracle)
  if(TARGET glyphcoverage_test)
    target_link_libraries(glyphcoverage_test PRIVATE Freetype::Freetype)
    if(TARGET fonts)
      add_dependencies(glyphcoverage_test fonts)
      target_compile_definitions(glyphcoverage_test PRIVATE QV_FONT_DIR="${QV_FONT_DIR}")
    endif()
  endif()
endfunction()
if(NOT QV_FUZZ)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qv_glyph_oracle)
endif()
