#pragma once

// Private-profile ini files: plain text read once into a cached context and
// rewritten whole, through a temporary file and a rename, after every change.
//
// A file name containing '/' is used as it stands; a null or empty name is
// the default file (set through SHIM_ExtendedAPI("INIFILE"), else
// $HOME/.libShim.ini); any other name is placed beside the default file.

#include "shim-types.h"

int GetPrivateProfileString(const char* section, const char* key, const char* def, char* buf,
                            int size, const char* file);
int GetPrivateProfileInt(const char* section, const char* key, int def, const char* file);
// 1 when the file holds the change, 0 when it could not be written (or the
// arguments name nothing a file can hold).
int WritePrivateProfileString(const char* section, const char* key, const char* value,
                              const char* file);
int GetPrivateProfileSection(const char* section, char* buf, int size, const char* file);
int WritePrivateProfileSection(const char* section, const char* data, const char* file);
int GetPrivateProfileStruct(const char* section, const char* key, void* buf, int size,
                            const char* file);
int WritePrivateProfileStruct(const char* section, const char* key, const void* data, int size,
                              const char* file);

// Why the file fell short the last time these calls read or wrote it: it
// exists but could not be read whole (then it is never rewritten), or the
// last write failed. Copies the reason into buf (cut to size) and returns 1;
// 0 when the file was read whole and the last write, if any, succeeded.
int SHIM_GetIniFileError(const char* file, char* buf, int size);
