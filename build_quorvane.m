function build_quorvane(outdir)
% BUILD_QUORVANE  Build quorvane and boot from source with the mex command.
%
%   build_quorvane          builds into the folder "mex" beside this file
%   build_quorvane(OUTDIR)  builds into OUTDIR
%
%   For MATLAB on a platform or with a compiler we do not ship modules
%   for, and for GNU Octave. The mex command must be set up with a C++17
%   compiler of the GCC or Clang family: MinGW-w64 on Windows, Xcode on
%   macOS, GCC on Linux (MATLAB: mex -setup C++), or Octave's own
%   mkoctfile. MSVC cannot build the sources (they use GCC and Clang
%   built-ins). The help files quorvane.m and boot.m are copied beside the
%   modules; add OUTDIR to the path to use them.
%
%   Works from the source tree and from the Octave package archive.

here = fileparts(mfilename('fullpath'));
if exist(fullfile(here, 'src', 'host', 'mex_api.h'), 'file')
  src = fullfile(here, 'src');      % the Octave package archive
  helpdir = fullfile(here, 'inst');
else
  src = here;                       % the source tree
  helpdir = fullfile(here, 'octave');
end
if nargin < 1
  outdir = fullfile(here, 'mex');
end
if ~exist(outdir, 'dir')
  mkdir(outdir);
end
isOctave = exist('OCTAVE_VERSION', 'builtin') ~= 0;

targets = {'quorvane', {'quorvane.cpp', 'smoothed_median.cpp', ...
                          'pair_sums.cpp', 'pair_sums_sse2.cpp', ...
                          'pair_sums_avx2.cpp', 'pair_sums_neon.cpp'}; ...
             'boot', {'boot.cpp'}};

% The compilers write their objects into the current folder: use a
% scratch folder and leave the caller's as it was.
scratch = tempname();
mkdir(scratch);
previous = cd(scratch);
restore = onCleanup(@() leaveScratch(previous, scratch));

% IEEE double throughout: no fused multiply-add, no fast-math.
flags = '-std=c++17 -ffp-contract=off';
for k = 1:size(targets, 1)
  name = targets{k, 1};
  sources = fullfile(src, name, targets{k, 2});
  includes = {['-I' fullfile(src, 'host')], ['-I' fullfile(src, name)]};
  if isOctave
    % Octave's mex.h; mkoctfile takes the compiler flags from CXXFLAGS.
    oldFlags = getenv('CXXFLAGS');
    setenv('CXXFLAGS', ['-O2 ' flags]);
    try
      mex('-DMEXHOST_OCTAVE', includes{:}, sources{:}, '-o', ...
          fullfile(outdir, [name '.mex']));
    catch err
      setenv('CXXFLAGS', oldFlags);
      rethrow(err);
    end
    setenv('CXXFLAGS', oldFlags);
  else
    % MATLAB: our own declarations of the 64-bit-size host operations;
    % mex adds the API version entry point. Windows needs the DLL entry.
    if ispc
      sources{end + 1} = fullfile(src, 'host', 'dll_entry.cpp');
    end
    mex('-R2017b', '-O', ['CXXFLAGS=$CXXFLAGS ' flags], includes{:}, ...
        sources{:}, '-outdir', outdir, '-output', name);
  end
  copyfile(fullfile(helpdir, [name '.m']), outdir);
  fprintf('built %s in %s\n', name, outdir);
end
end

function leaveScratch(previous, scratch)
cd(previous);
rmdir(scratch, 's');
end
