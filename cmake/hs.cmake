# Hiscore tests: the enciphered hiscore file, web submissions and the files free play and the
# story leave are checked against an independent Blowfish (nettle), linked into those tests only.
if(QV_TESTS AND NOT QV_FUZZ)
  pkg_check_modules(QV_HS_NETTLE IMPORTED_TARGET GLOBAL nettle)
  if(NOT QV_HS_NETTLE_FOUND)
    message(WARNING "nettle not found (tools/install-deps.sh installs nettle-dev): "
                    "hiscorefile_test, webhiscores_test, freeplay_e2e_test and storyroad_e2e_test will not build")
  endif()
  function(qv_hs_link_oracle)
    foreach(test hiscorefile_test webhiscores_test freeplay_e2e_test storyroad_e2e_test)
      if(TARGET ${test} AND TARGET PkgConfig::QV_HS_NETTLE)
        target_link_libraries(${test} PRIVATE PkgConfig::QV_HS_NETTLE)
      endif()
    endforeach()
  endfunction()
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL qv_hs_link_oracle)
endif()
