' a single smart servo is not supported on the first model
AIMOTOR G6A
AIMOTOR 5