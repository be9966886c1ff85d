# Lays out an installation root for trying the launcher by hand:
#   TalvaroOvraRecomp.exe, assets/launcher/ (artwork, fonts, font licences),
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
# Russian's face beside Barlow; its licence under a name of its own, Barlow's OFL.txt being there.
if(CYRILLIC_FONT_DIR)
  foreach(f FiraSansCondensed-Regular.ttf FiraSansCondensed-Bold.ttf FiraSansCondensed-BoldItalic.ttf)
    if(EXISTS ${CYRILLIC_FONT_DIR}/${f})
      file(COPY ${CYRILLIC_FONT_DIR}/${f} DESTINATION ${DEMO_DIR}/assets/launcher)
    endif()
  endforeach()
  if(EXISTS ${CYRILLIC_FONT_DIR}/OFL.txt)
    file(COPY_FILE ${CYRILLIC_FONT_DIR}/OFL.txt ${DEMO_DIR}/assets/launcher/FiraSansCondensed-OFL.txt ONLY_IF_DIFFERENT)
  endif()
endif()
file(COPY_FILE ${DEMO_GAME} ${DEMO_DIR}/games/tlvr1/tlvr1.exe ONLY_IF_DIFFERENT)
if(NOT EXISTS ${DEMO_DIR}/roms/tlvr1.bin)
  # Not a ROM: a placeholder that the demo game only shows by name.
  file(WRITE ${DEMO_DIR}/roms/tlvr1.bin "demo placeholder, not a game image\n")
endif()
if(INSTALL_SCRIPT)
  file(COPY ${INSTALL_SCRIPT} DESTINATION ${DEMO_DIR}/scripts)
endif()
# The demo update: our stand-in as the package's Python interpreter, playing a release "0.61" by
# demo/update-scenario.ini; ".local/installation.json" makes the demo an installed copy.
if(DEMO_PYTHON)
  file(MAKE_DIRECTORY ${DEMO_DIR}/.tools/python ${DEMO_DIR}/tools ${DEMO_DIR}/.local)
  file(COPY_FILE ${DEMO_PYTHON} ${DEMO_DIR}/.tools/python/python.exe ONLY_IF_DIFFERENT)
  file(COPY_FILE ${DEMO_SCENARIO} ${DEMO_DIR}/.tools/python/standin-scenario.ini ONLY_IF_DIFFERENT)
  file(WRITE ${DEMO_DIR}/.tools/python/demo-0.61.txt
       "Demo release 0.61: written into the installation by the update-apply run.\n")
  file(WRITE ${DEMO_DIR}/tools/update_release.py
       "# Demo: the update helper is played by the stand-in interpreter in .tools/python.\n")
  if(NOT EXISTS ${DEMO_DIR}/.local/installation.json)
    file(WRITE ${DEMO_DIR}/.local/installation.json "{\"demo\": true}\n")
  endif()
endif()
