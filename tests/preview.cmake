# Tests of the FLV player tab, help and About box.
trovexa_qtest(test_preview_host test_preview_host.cpp
    LIBS trovexa_preview trovexa_platform_doubles)
trovexa_qtest(test_preview_playback test_preview_playback.cpp
    LIBS trovexa_preview trovexa_platform_doubles trovexa_test_media)
trovexa_qtest(test_preview_help test_preview_help.cpp
    LIBS trovexa_app trovexa_preview trovexa_platform_doubles)
