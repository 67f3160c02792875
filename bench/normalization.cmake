# Normalization plus encode against one direct pass.
