# The progress window frmProgress.
