# The progress window frmProgress.
target_sources(trovexa_app PRIVATE
    PercentBar.h PercentBar.cpp
    ProgressWindow.h ProgressWindow.cpp
)
