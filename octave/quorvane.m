% QUORVANE  Smoothed median of each column or row of a matrix.
%
%   M = quorvane(X)
%   M = quorvane(X, DIM)
%   M = quorvane(X, DIM, TOL)
%
%   The smoothed median of values x_1 ... x_n is the m that minimises
%   the sum over all pairs i < j of sqrt((x_i - m)^2 + (x_j - m)^2).
%   It lies close to the ordinary median but depends smoothly on the
%   data, so its bootstrap distribution is smooth where the median's is
%   lumpy.
%
%   X    real double matrix. NaN values are ignored; +-Inf are ordinary
%        values. Only the first page of an N-D array is used.
%   DIM  1 (default): one result per column, M is 1 x columns;
%        2: one result per row, M is rows x 1. DIM is truncated toward
%        zero (1.5 means 1). A one-row X always gives one result.
%   TOL  absolute tolerance, finite and >= 0, for every slice. Default:
%        0.0001 * (max - min) of each slice.
%   Empty DIM or TOL means the default; further arguments are ignored.
%
%   Each slice starts from its ordinary median and takes Newton steps
%   inside a shrinking bracket [min, max]. A slice that has not
%   converged after 25 iterations prints
%     warning: Root finding failed to reach tolerance for column K
%   (or row K) and still returns its estimate. A slice with no values
%   gives NaN.
%
%   Refused: X not double, complex or sparse; DIM or TOL not a real
%   double scalar; DIM other than 1 or 2; TOL NaN, Inf or negative;
%   X with 2^31 or more rows, columns or elements in its first page.
%
%   Example:
%     x = [0; 1; 10];
%     quorvane(x)          % 2.6057, where median(x) is 1
%
%   Reference: Brown, Hall and Young, "The smoothed median and the
%   bootstrap", Biometrika 88 (2001).

%!demo
%! x = [0.2 0.4 0.5 0.9 1.4 2.8 6.1]';
%! printf ("median %.4f, smoothed median %.4f\n", median (x), quorvane (x));
%! X = [x, [1 2 3 4 5 6 100]'];
%! quorvane (X)        % one smoothed median per column
%! quorvane (X', 2)    % the same, row-wise

%!assert (quorvane ([0; 1; 10]), 2.6057, 1e-4)
%!assert (size (quorvane (zeros (4, 3))), [1 3])
%!assert (size (quorvane (zeros (4, 3), 2)), [4 1])
%!assert (size (quorvane (zeros (1, 5), 1)), [1 1])
%!assert (size (quorvane ([])), [1 0])
%!assert (quorvane ([1 2 3]), 2)
%!assert (quorvane ([1.7e308; 1.7e308]), 1.7e308)
%!assert (isnan (quorvane (zeros (0, 2))), [true true])
%!test
%! out = evalc ("m = quorvane ([0; 1; 10], [], 0);");
%! assert (m, 2.605, 5e-3);
%! assert (out, "warning: Root finding failed to reach tolerance for column 1 \n");
%!test
%! out = evalc ("m = quorvane ([1 2 Inf], [], 0.5);");
%! assert (m, Inf);
%! assert (out, "warning: Root finding failed to reach tolerance for row 1 \n");
%!error <At least one input argument is required.> quorvane ()
%!error <The first input argument \(X\) must be of type double> quorvane (single (1))
%!error <The first input argument \(X\) cannot contain an imaginary part> quorvane (1i)
%!error <The first input argument \(X\) must not be sparse> quorvane (sparse ([1 2; 3 4]))
%!error <The second input argument \(DIM\) must be scalar> quorvane (1, [1 2])
%!error <The second input argument \(DIM\) must be of type double> quorvane (1, int32 (1))
%!error <The second input argument \(DIM\) cannot contain an imaginary part> quorvane (1, 1i)
%!error <The second input argument \(DIM\) must be 1 \(column-wise\) or 2 \(row-wise\)> quorvane ([1 2 3], 3)
%!error <The third input argument \(TOL\) must be scalar> quorvane (1, [], [1 2])
%!error <The third input argument \(TOL\) must be of type double> quorvane (1, [], int8 (1))
%!error <The third input argument \(TOL\) cannot contain an imaginary part> quorvane (1, [], 1i)
%!error <The third input argument \(TOL\) cannot be NaN or Inf> quorvane (1, [], NaN)
%!error <The third input argument \(TOL\) must be a positive value> quorvane (1, [], -0.5)
