# Lays out an installation root for trying the launcher by hand:
#   TalvaroOvraRecomp.exe, assets/launcher/ (artwork, fonts, font licence),
#   games/tlvr1/tlvr1.exe (our demo game) and roms/tlvr1.bin, so game 1 reads as installed,
#   and scripts/install.ps1 for the installer window.
file(MAKE_DIRECTORY ${DEMO_DIR}/assets/launcher ${DEMO_DIR}/games/tlvr1 ${DEMO_DIR}/roms)
file(COPY ${LAUNCHER} DESTINATION ${DEMO_DIR})
foreach(f masthead.png tlvr1.png tlvr2.png)
  file(COPY ${ART_DIR}/${f} DESTINATION ${DEMO_DIR}/assets/launcher)
endforeach()
if(FONT_DIR)
  foreach(f Barlow-Regular.ttf BarlowCondensed-Bold.ttf BarlowCondensed-BoldItalic.ttf OFL.txt)
    if(EXISTS ${FONT_DIR}/${f})
      file(COPY ${FONT_DIR}/${f} DESTINATION ${DEMO_DIR}/assets/launcher)
    endif()
  endforeach()
endif()
file(COPY_FILE ${DEMO_GAME} ${DEMO_DIR}/games/tlvr1/tlvr1.exe ONLY_IF_DIFFERENT)
if(NOT EXISTS ${DEMO_DIR}/roms/tlvr1.bin)
  # Not a ROM: a placeholder that the demo game only shows by name.
  file(WRITE ${DEMO_DIR}/roms/tlvr1.bin "demo placeholder, not a game image\n")
endif()
if(INSTALL_SCRIPT)
  file(COPY ${INSTALL_SCRIPT} DESTINATION ${DEMO_DIR}/scripts)
endif()
