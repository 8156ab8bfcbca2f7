// Compiled by the layer tests in one module's include setting: it builds
// exactly when that module can see ProbedHeader.
#include PROBED_HEADER
