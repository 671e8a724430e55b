% boot(N, 1000) inside Octave, side by side in one process with the balanced
% bootstrap an Octave user writes with randperm (balance only: no LOO,
% WEIGHTS or SEED), and with create_only(N, 1000), a MEX function that only
% makes and returns the matrix: the host's own cost of the result.
% Medians of 5 interleaved runs, ns per output element.
% Run from build/octave: octave-cli --no-history ../../bench/boot_octave_bench.m
here = fileparts (mfilename ("fullpath"));
scratch = tempname ();
mkdir (scratch);
setenv ("CXXFLAGS", "-O2 -std=c++17 -ffp-contract=off");
mkoctfile ("--mex", "-DMEXHOST_OCTAVE", ["-I" fullfile(here, "..", "host")], ...
           "-o", fullfile (scratch, "create_only.mex"), ...
           fullfile (here, "create_only.cpp"));
addpath (scratch);
B = 1000;
sizes = [100 1000 10000];
printf ("| N | boot(N, %d) | randperm idiom | ratio | create_only | boot less create_only |\n", B);
printf ("|---|---|---|---|---|---|\n");
for N = sizes
  boot (N, 2);  % load the modules before timing
  create_only (N, 2);
  t = zeros (3, 5);
  for rep = 1:5
    tic; R = boot (N, B); t(1, rep) = toc;
    tic; v = repmat ((1:N)', B, 1); R = reshape (v(randperm (N * B)), N, B); t(2, rep) = toc;
    tic; R = create_only (N, B); t(3, rep) = toc;
  end
  clear R v
  ns = median (t, 2) / (N * B) * 1e9;
  printf ("| %d | %.1f | %.1f | %.2f | %.1f | %.1f |\n", N, ns(1), ns(2), ...
          ns(1) / ns(2), ns(3), ns(1) - ns(3));
end
rmpath (scratch);
confirm_recursive_rmdir (false, "local");
rmdir (scratch, "s");
