% quorvane inside Octave on a 1000 x 1000 matrix: the whole call against the
% same call with TOL = realmax, which runs no refinement and so times everything
% outside the pair sums (argument passing, gathering, selection, output).
% Run from build/octave: octave-cli --no-history ../../bench/quorvane_octave_bench.m
randn ("seed", 1);
X = exp (randn (1000));
quorvane (X(:, 1:10));  % load the module before timing
outside = Inf;
whole = Inf;
for rep = 1:3
  tic; quorvane (X, 1, realmax); outside = min (outside, toc);
  tic; quorvane (X); whole = min (whole, toc);
end
printf ("whole call %.3f s, without refinement %.4f s: %.2f%% outside the pair sums\n", ...
        whole, outside, 100 * outside / whole);
