# Tests of the FLV player tab, help and About box.
