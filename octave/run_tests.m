% Runs the Octave tests of both functions; exits non-zero on any failure.
addpath (pwd ());
failed = 0;
for name = {"quorvane", "boot"}
  [passed, total] = test (name{1}, "quiet", stdout);
  printf ("%s: %d of %d Octave tests passed\n", name{1}, passed, total);
  failed += total - passed;
endfor
exit (failed != 0);
