# Tests of the watermark rules and settings files.
trovexa_gtest(test_watermark_rules test_watermark_rules.cpp LIBS trovexa_watermark)
trovexa_gtest(test_watermark_settings test_watermark_settings.cpp LIBS trovexa_watermark)
trovexa_qtest(test_watermark_tab test_watermark_tab.cpp
    LIBS trovexa_app trovexa_videoedit trovexa_platform_doubles)
