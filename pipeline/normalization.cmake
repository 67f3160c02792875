# Source normalization logic and time formatting.
