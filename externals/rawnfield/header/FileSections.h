#pragma once

namespace Rawnfield {
namespace File {

// Section heads of a program text file: the program itself, then the
// editor's configuration appended after it.
constexpr const char* kProgramSection = "[Harshbloom_Program]";
constexpr const char* kConfigSection = "[Harshbloom_Config]";

}  // namespace File
}  // namespace Rawnfield

// What the maker's text handling counts as white space.
constexpr const char* kRnWhiteSpaces = " \n\r\t";
