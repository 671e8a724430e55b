## -*- texinfo -*-
## @deftypefn  {} {} demo_bootstrap ()
## @deftypefnx {} {} demo_bootstrap (@var{png_file})
## Bootstrap standard errors and 95% percentile intervals of the median and
## the smoothed median of a skewed sample, from 2000 balanced resamples
## drawn by @code{boot} with a SEED, and a figure of the two bootstrap
## distributions: the median's is lumpy, the smoothed median's is not.
##
## With @var{png_file} the figure is written to that PNG file (with
## gnuplot, so no display is needed) instead of being shown.
## @seealso{quorvane, boot}
## @end deftypefn
function demo_bootstrap (png_file)
  randn ("state", 42);
  n = 40;
  x = exp (randn (n, 1));          # a log-normal sample: skewed to the right
  printf ("Sample: %d log-normal values, min %.3f, max %.3f\n", n, min (x), max (x));
  printf ("  median          %.4f\n", median (x));
  printf ("  smoothed median %.4f\n", quorvane (x));

  nboot = 2000;
  seed = 20261209;
  printf ("Drawing %d balanced resamples: boot (x, %d, false, %d)\n", nboot, nboot, seed);
  B = boot (x, nboot, false, seed);  # n x nboot, one resample per column

  printf ("Estimating on every resample...\n");
  med = median (B);
  smooth = zeros (1, nboot);
  chunk = 500;
  for first = 1:chunk:nboot
    last = min (first + chunk - 1, nboot);
    smooth(first:last) = quorvane (B(:, first:last));
    printf ("  smoothed medians: %d of %d resamples done\n", last, nboot);
  endfor

  printf ("\n%-16s %10s %10s %22s\n", "estimator", "estimate", "std.err.", "95% percentile interval");
  report = @(name, est, reps) printf ("%-16s %10.4f %10.4f       [%.4f, %.4f]\n", ...
                                      name, est, std (reps), quantile (reps, 0.025), quantile (reps, 0.975));
  report ("median", median (x), med);
  report ("smoothed median", quorvane (x), smooth);
  printf ("Distinct bootstrap values: median %d, smoothed median %d\n", ...
          numel (unique (med)), numel (unique (smooth)));

  to_file = nargin > 0;
  if (to_file)
    warning ("off", "Octave:gnuplot-graphics", "local");
    fig = figure ("visible", "off", "position", [0 0 900 560]);
    graphics_toolkit (fig, "gnuplot");  # draws without a display
  else
    fig = figure ();
  endif
  edges = linspace (min ([med smooth]), max ([med smooth]), 60);
  hm = histc (med, edges);
  hs = histc (smooth, edges);
  stairs (edges, hm, "r", "linewidth", 1.5);
  hold on;
  stairs (edges, hs, "b", "linewidth", 1.5);
  hold off;
  xlabel ("estimate");
  ylabel ("number of resamples");
  title (sprintf ("%d balanced bootstrap resamples, n = %d", nboot, n));
  legend ("median (lumpy)", "smoothed median (smooth)");
  if (to_file)
    # print asks for Ghostscript, which pngcairo does not need.
    state = warning ("off", "all");
    print (fig, png_file, "-dpngcairo");  # gnuplot writes the PNG itself
    warning (state);
    close (fig);
    printf ("Figure written to %s\n", png_file);
  endif
endfunction

%!demo
%! demo_bootstrap ();
