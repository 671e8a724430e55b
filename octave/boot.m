% BOOT  Balanced bootstrap resamples.
%
%   B = boot(N, NBOOT)
%   B = boot(X, NBOOT)
%   B = boot(N or X, NBOOT, LOO, SEED, WEIGHTS)
%
%   B is N x NBOOT, one resample per column: observation numbers 1..N
%   (first argument a whole number N) or values of the vector X. With
%   NBOOT >= 2 every observation occurs exactly NBOOT times in B (or as
%   often as WEIGHTS says): a balanced bootstrap. With NBOOT = 1 the
%   single column is drawn with replacement.
%
%   N        whole number, 1 to 2147483647. A one-element first argument
%            is always N.
%   X        vector of 2 or more doubles; values (NaN, Inf included) are
%            copied into B.
%   NBOOT    number of resamples, truncated toward zero (2.9 gives 2).
%   LOO      logical scalar, default false: each resample leaves one
%            observation out, observations 1..N in turn for as many full
%            rounds as NBOOT allows, then one drawn at random.
%   SEED     double scalar: reseeds the C library generator (srand) with
%            SEED truncated to an unsigned 32-bit integer (negative values
%            give 0). Default: no reseeding. Pass SEED for
%            reproducible work: without it each session's first call gives
%            the same resamples, and the sequence depends on whatever else
%            uses rand() in the process.
%   WEIGHTS  N finite values >= 0, truncated toward zero, summing to
%            N * NBOOT: how often each observation occurs in all.
%            Default: NBOOT each.
%   Empty LOO, SEED or WEIGHTS means the default.
%
%   Refused (with a message): fewer than 2 or more than 5 arguments, more
%   than one output, a matrix, empty, sparse or non-double first argument,
%   N not a positive whole number, NBOOT not a positive real double
%   scalar, LOO not a logical scalar, SEED not a finite double scalar,
%   N * NBOOT above 2147483647, WEIGHTS of the wrong class, length or
%   values, or not summing to N * NBOOT.
%
%   Example:
%     x = exp (randn (40, 1));
%     B = boot (x, 2000, false, 1);   % 2000 balanced resamples of x
%     se = std (median (B))
%
%   Reference: Davison, Hinkley and Schechtman, "Efficient bootstrap
%   simulation", Biometrika 73 (1986).

%!demo
%! B = boot (5, 4, false, 1)   % 4 balanced resamples of observations 1..5
%! accumarray (B(:), 1)'       % each observation occurs 4 times
%! x = exp (randn (40, 1));
%! B = boot (x, 2000, false, 1);
%! printf ("bootstrap standard error of the median: %.4f\n", std (median (B)));

%!assert (boot (2, 2, true), [2 1; 2 1])
%!assert (boot (1, 4, true), ones (1, 4))
%!assert (size (boot (7, 2.9)), [7 2])
%!assert (size (boot (ones (1, 1, 5), 3)), [5 3])
%!test
%! b = boot (9, 23, true);
%! assert (accumarray (b(:), 1)', 23 * ones (1, 9));
%!test
%! b = boot (4, 3, false, [], [5 0 6.9 1.2]);
%! assert (accumarray (b(:), 1)', [5 0 6 1]);
%!test
%! assert (isequal (boot (12, 30, true, 17), boot (12, 30, true, 17)));
%! assert (isequal (boot (12, 30, true, 3.7), boot (12, 30, true, 3)));
%!test
%! try
%!   boot (5, 3, [], 77);  % reseeds, then works
%!   [a, b] = boot (5, 3, [], 77);
%! catch err
%!   assert (err.message, "boot: Too many output arguments.");
%! end
%! assert (isequal (boot (5, 3, [], 77), boot (5, 3, [], 77)));
%!test
%! b = boot (6, 18, true, 5);
%! % The last resample may put its held-out observation back (the escape,
%! % when only its units are left), so it is not checked.
%! for col = 1:17
%!   assert (! any (b(:, col) == mod (col - 1, 6) + 1));
%! end
%!test
%! b = boot ([2.5 NaN -Inf], 4);
%! assert (sum (isnan (b(:))), 4);
%! assert (sum (b(:) == -Inf), 4);
%!test
%! b = boot (8, 1, false, 3);
%! assert (all (b >= 1 & b <= 8 & b == fix (b)));
%!error <At least two input arguments are required.> boot (5)
%!error <Too many output arguments.> [a, b] = boot (5, 3)
%!error <The first input argument \(N or X\) cannot be empty.> boot ([], 3)
%!error <The second input argument \(NBOOT\) cannot be empty.> boot (5, [])
%!error <The first input argument \(N or X\) cannot be sparse.> boot (sparse ([1 2 3]), 3)
%!error <N \* NBOOT must not exceed 2147483647.> boot (65536, 32768)
%!error <Too many input arguments.> boot (5, 3, [], [], [], [])
%!error <The first input argument \(N\) cannot contain an imaginary part.> boot (5i, 3)
%!error <The first input argument \(N or X\) must be of type double.> boot (int32 (5), 3)
%!error <The value of the first input argument \(N\) must be a positive integer.> boot (2.5, 3)
%!error <The first input argument must be either a scalar \(N\) or vector \(X\).> boot (ones (2, 3), 3)
%!error <The second input argument \(NBOOT\) must be scalar.> boot (5, [1 2])
%!error <The second input argument \(NBOOT\) must be of type double.> boot (5, int8 (2))
%!error <The second input argument \(NBOOT\) cannot contain an imaginary part.> boot (5, 2i)
%!error <The second input argument \(NBOOT\) must be a positive integer.> boot (5, NaN)
%!error <The second input argument \(NBOOT\) cannot be NaN or Inf.> boot (5, Inf)
%!error <The third input argument \(LOO\) must be a logical scalar value.> boot (5, 3, 1)
%!error <The fourth input argument \(SEED\) must be a scalar value.> boot (5, 3, [], [1 2])
%!error <The fourth input argument \(SEED\) must be of type double.> boot (5, 3, [], int8 (1))
%!error <The fourth input argument \(SEED\) cannot be NaN or Inf.> boot (5, 3, [], NaN)
%!error <The fifth input argument \(WEIGHTS\) must be of type double.> boot (3, 2, [], [], int8 ([2 2 2]))
%!error <WEIGHTS must be a vector of length N or be the same length as X.> boot (3, 2, [], [], [NaN -1 2 2])
%!error <The fifth input argument \(WEIGHTS\) cannot contain NaN or Inf.> boot (3, 2, [], [], [NaN -1 2])
%!error <The fifth input argument \(WEIGHTS\) must contain only positive integers.> boot (3, 2, [], [], [-1 NaN 2])
%!error <The elements of WEIGHTS must sum to N \* NBOOT.> boot (3, 2, [], [], [2 2 3])
