// The null GL of the CPU-cost build: fills glApi with no-op entry points.
#pragma once

void loadNullGl();
