// The functions' messages, as the tests and the fuzzers expect them.
#pragma once

namespace messages {

namespace quorvane {
inline constexpr const char* kOneInput =
    "At least one input argument is required.";
inline constexpr const char* kXType =
    "The first input argument (X) must be of type double";
inline constexpr const char* kXImag =
    "The first input argument (X) cannot contain an imaginary part";
inline constexpr const char* kXSparse =
    "The first input argument (X) must not be sparse";
inline constexpr const char* kDimScalar =
    "The second input argument (DIM) must be scalar";
inline constexpr const char* kDimType =
    "The second input argument (DIM) must be of type double";
inline constexpr const char* kDimImag =
    "The second input argument (DIM) cannot contain an imaginary part";
inline constexpr const char* kDimValue =
    "The second input argument (DIM) must be 1 (column-wise) or 2 (row-wise)";
inline constexpr const char* kTolScalar =
    "The third input argument (TOL) must be scalar";
inline constexpr const char* kTolType =
    "The third input argument (TOL) must be of type double";
inline constexpr const char* kTolImag =
    "The third input argument (TOL) cannot contain an imaginary part";
inline constexpr const char* kTolFinite =
    "The third input argument (TOL) cannot be NaN or Inf";
inline constexpr const char* kTolSign =
    "The third input argument (TOL) must be a positive value";
inline constexpr const char* kXSize =
    "The first input argument (X) must have fewer than 2^31 rows, columns and "
    "elements in its first page";
}  // namespace quorvane

namespace boot {
inline constexpr const char* kTwoInputs =
    "At least two input arguments are required.";
inline constexpr const char* kTooManyInputs = "Too many input arguments.";
inline constexpr const char* kNImag =
    "The first input argument (N) cannot contain an imaginary part.";
inline constexpr const char* kNType =
    "The first input argument (N or X) must be of type double.";
inline constexpr const char* kNSparse =
    "The first input argument (N or X) cannot be sparse.";
inline constexpr const char* kNEmpty =
    "The first input argument (N or X) cannot be empty.";
inline constexpr const char* kNValue =
    "The value of the first input argument (N) must be a positive integer.";
inline constexpr const char* kNOrX =
    "The first input argument must be either a scalar (N) or vector (X).";
inline constexpr const char* kNbootScalar =
    "The second input argument (NBOOT) must be scalar.";
inline constexpr const char* kNbootType =
    "The second input argument (NBOOT) must be of type double.";
inline constexpr const char* kNbootImag =
    "The second input argument (NBOOT) cannot contain an imaginary part.";
inline constexpr const char* kNbootEmpty =
    "The second input argument (NBOOT) cannot be empty.";
inline constexpr const char* kNbootValue =
    "The second input argument (NBOOT) must be a positive integer.";
inline constexpr const char* kNbootFinite =
    "The second input argument (NBOOT) cannot be NaN or Inf.";
inline constexpr const char* kLoo =
    "The third input argument (LOO) must be a logical scalar value.";
inline constexpr const char* kSeedScalar =
    "The fourth input argument (SEED) must be a scalar value.";
inline constexpr const char* kSeedType =
    "The fourth input argument (SEED) must be of type double.";
inline constexpr const char* kSeedFinite =
    "The fourth input argument (SEED) cannot be NaN or Inf.";
inline constexpr const char* kTooManyOutputs = "Too many output arguments.";
inline constexpr const char* kTotal = "N * NBOOT must not exceed 2147483647.";
inline constexpr const char* kWType =
    "The fifth input argument (WEIGHTS) must be of type double.";
inline constexpr const char* kWImag =
    "The fifth input argument (WEIGHTS) cannot contain an imaginary part.";
inline constexpr const char* kWLength =
    "WEIGHTS must be a vector of length N or be the same length as X.";
inline constexpr const char* kWSparse =
    "The fifth input argument (WEIGHTS) cannot be sparse.";
inline constexpr const char* kWFinite =
    "The fifth input argument (WEIGHTS) cannot contain NaN or Inf.";
inline constexpr const char* kWPositive =
    "The fifth input argument (WEIGHTS) must contain only positive integers.";
inline constexpr const char* kWSum =
    "The elements of WEIGHTS must sum to N * NBOOT.";
}  // namespace boot

}  // namespace messages
