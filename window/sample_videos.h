#pragma once

namespace tandemo {

class Form1;
struct PlatformServices;

/// The folder beside the program that holds the example videos.
inline constexpr char kSamplesFolder[] = "/Samples";

/// "Load Sample/Example Videos": gives the first file of the samples folder to the left player
/// and the second to the right one. Further files are ignored; no files change nothing.
void Sample_Click(Form1& form, PlatformServices& platform);

} // namespace tandemo
