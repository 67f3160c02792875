# Tests of the watermark rules and settings files.
