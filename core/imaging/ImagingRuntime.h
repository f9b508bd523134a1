#pragma once

namespace vantrel {

// Starts libvips once per process, whoever asks first (application, command line tool,
// tests, benchmarks). Safe to call from several threads and more than once.
//
// It also fixes the rules every load depends on: only photo loaders are allowed (a PDF,
// SVG or other document renamed to .jpg is refused instead of rendered), and libvips'
// operation cache is off, so that every load reads the file as it is now.
void initImaging(const char* programName);

} // namespace vantrel
