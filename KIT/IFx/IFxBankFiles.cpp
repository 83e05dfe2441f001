// Program and bank files in the big-endian "CcnK" container, and preset
// source dumps.

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "IFxBase.h"

namespace {

const int kProgramHeaderLen = 56;  // up to the state length or the first value
const int kBankHeaderLen = 156;    // up to the state length or the first program
const int kFileNameLen = 28;       // program name field, not always terminated
const int kStateBlockHeadLen = 8;  // "tffp" and the framework version
const int32_t kIFxChunkVersion = 0x00010000;

bool MagicIs(const unsigned char* p, const char* magic) {
  return !memcmp(p, magic, 4);
}

int32_t ReadBE32(const unsigned char* p) {
  const uint32_t v = static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                     static_cast<uint32_t>(p[2]) << 8 | p[3];
  return static_cast<int32_t>(v);
}

float ReadBEFloat(const unsigned char* p) {
  const int32_t bits = ReadBE32(p);
  float f;
  memcpy(&f, &bits, sizeof(f));
  return f;
}

// Builds a file in memory; remembers whether every write succeeded.
class FileImage {
public:
  void Bytes(const void* data, int size) {
    if (mChunk.PutBytes(data, size) < 0) mOk = false;
  }
  void Magic(const char* magic) { Bytes(magic, 4); }
  void BE32(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    const unsigned char b[4] = {static_cast<unsigned char>(u >> 24),
                                static_cast<unsigned char>(u >> 16),
                                static_cast<unsigned char>(u >> 8), static_cast<unsigned char>(u)};
    Bytes(b, 4);
  }
  void BEFloat(float f) {
    int32_t bits;
    memcpy(&bits, &f, sizeof(bits));
    BE32(bits);
  }
  // The name zero-filled to the field; a name of 28 characters or more fills
  // it without a terminator.
  void Name(const char* name) {
    char field[kFileNameLen] = {};
    const size_t len = name ? strnlen(name, kFileNameLen) : 0;
    if (len) memcpy(field, name, len);
    Bytes(field, kFileNameLen);
  }
  // The 56 bytes that open a program, up to its state length or first value.
  void ProgramHeader(int32_t length, const char* kind, int id, int version, int nParams,
                     const char* name) {
    Magic("CcnK");
    BE32(length);
    Magic(kind);
    BE32(1);
    BE32(id);
    BE32(version);
    BE32(nParams);
    Name(name);
  }
  void Zeros(int n) {
    for (int i = 0; i < n; ++i) Bytes("", 1);
  }
  bool Ok() const { return mOk; }
  bool WriteTo(const char* file) const {
    if (!mOk) return false;
    FILE* fp = fopen(file, "wb");
    if (!fp) return false;
    const size_t n = static_cast<size_t>(mChunk.Size());
    const bool written = fwrite(mChunk.GetBytes(), 1, n, fp) == n;
    return fclose(fp) == 0 && written;
  }

private:
  ByteChunk mChunk;
  bool mOk = true;
};

bool ReadWholeFile(const char* file, ByteChunk* out) {
  FILE* fp = fopen(file, "rb");
  if (!fp) return false;
  bool ok = fseek(fp, 0, SEEK_END) == 0;
  const long size = ok ? ftell(fp) : -1;
  ok = ok && size >= 0 && size < INT_MAX && fseek(fp, 0, SEEK_SET) == 0;
  if (ok) {
    const int n = static_cast<int>(size);
    ok = out->Resize(n) == n && (n == 0 || fread(out->GetBytes(), 1, static_cast<size_t>(n), fp) ==
                                               static_cast<size_t>(n));
  }
  fclose(fp);
  return ok;
}

// The program name of a file header, terminated even when the field is full.
void ReadFileName(const unsigned char* header, char* out) {
  memcpy(out, header + 28, kFileNameLen);
  out[kFileNameLen] = 0;
}

// True when a parameter program (header and values) at p is well formed for
// nParams parameters and holds no NaN.
bool ParamProgramIsValid(const unsigned char* p, int nParams) {
  if (!MagicIs(p, "CcnK") || !MagicIs(p + 8, "FxCk") || ReadBE32(p + 12) != 1 ||
      ReadBE32(p + 24) != nParams)
    return false;
  for (int i = 0; i < nParams; ++i)
    if (std::isnan(ReadBEFloat(p + kProgramHeaderLen + 4 * i))) return false;
  return true;
}

// The state block of a chunk file: its length field must fit in the data.
bool ReadStateBlock(const unsigned char* data, int size, int lengthAt, ByteChunk* block) {
  if (size < lengthAt + 4) return false;
  const int32_t len = ReadBE32(data + lengthAt);
  if (len < 0 || len > size - lengthAt - 4) return false;
  return block->PutBytes(data + lengthAt + 4, len) == len;
}

}  // namespace

void IFxBase::InitChunkWithIFxVer(ByteChunk* chunk) {
  if (!chunk) return;
  chunk->Clear();
  chunk->PutBytes("tffp", 4);
  const int32_t version = kIFxChunkVersion;
  chunk->Put(&version);
}

int IFxBase::GetIFxVerFromChunk(ByteChunk* chunk, int* position) {
  if (!chunk || !position) return 0;
  char magic[4];
  int32_t version = 0;
  int pos = chunk->GetBytes(magic, 4, *position);
  if (pos < 0 || memcmp(magic, "tffp", 4)) return 0;
  pos = chunk->Get(&version, pos);
  if (pos < 0) return 0;
  *position = pos;
  return version;
}

bool IFxBase::SaveProgramAsFXP(const char* file) {
  if (!file || !file[0]) return false;
  KIT_MutexLock lock(&mMutex);
  FileImage out;
  const char* name = mPresets.Get(mCurrentPresetIdx) ? GetPresetName(mCurrentPresetIdx) : "";
  if (DoesStateChunks()) {
    ByteChunk state;
    InitChunkWithIFxVer(&state);
    if (state.Size() != kStateBlockHeadLen || !SerializeState(&state) ||
        state.Size() > INT_MAX - 60)
      return false;
    out.ProgramHeader(state.Size() + 60, "FPCh", mUniqueID, GetEffectVersion(true), NParams(),
                      name);
    out.BE32(state.Size());
    out.Bytes(state.GetBytes(), state.Size());
  } else {
    out.ProgramHeader(0, "FxCk", mUniqueID, GetEffectVersion(true), NParams(), name);
    for (int i = 0; i < NParams(); ++i)
      out.BEFloat(static_cast<float>(GetParam(i)->GetNormalized()));
  }
  return out.WriteTo(file);
}

bool IFxBase::SaveBankAsFXB(const char* file) {
  if (!file || !file[0]) return false;
  KIT_MutexLock lock(&mMutex);
  FileImage out;
  ByteChunk state;
  if (DoesStateChunks()) {
    InitChunkWithIFxVer(&state);
    if (state.Size() != kStateBlockHeadLen || !SerializePresets(&state) ||
        state.Size() > INT_MAX - 160)
      return false;
  }
  out.Magic("CcnK");
  out.BE32(DoesStateChunks() ? state.Size() + 160 : 0);
  out.Magic(DoesStateChunks() ? "FBCh" : "FxBk");
  out.BE32(2);
  out.BE32(mUniqueID);
  out.BE32(GetEffectVersion(true));
  out.BE32(NPresets());
  out.BE32(mCurrentPresetIdx);
  out.Zeros(124);
  if (DoesStateChunks()) {
    out.BE32(state.Size());
    out.Bytes(state.GetBytes(), state.Size());
  } else {
    for (int p = 0; p < NPresets(); ++p) {
      const IPreset* preset = mPresets.Get(p);
      out.ProgramHeader(0, "FxCk", mUniqueID, GetEffectVersion(true), NParams(), preset->mName);
      // The preset's doubles in order, 0 once its state runs out.
      int pos = 0;
      for (int i = 0; i < NParams(); ++i) {
        double v = 0.0;
        if (pos >= 0) pos = preset->mChunk.Get(&v, pos);
        if (pos < 0) v = 0.0;
        out.BEFloat(static_cast<float>(GetParam(i)->GetNormalized(v)));
      }
    }
  }
  return out.WriteTo(file);
}

bool IFxBase::LoadProgramFromFXP(const char* file) {
  if (!file || !file[0]) return false;
  ByteChunk data;
  if (!ReadWholeFile(file, &data)) return false;
  return LoadProgramData(data.GetBytes(), data.Size());
}

bool IFxBase::LoadBankFromFXB(const char* file) {
  if (!file || !file[0]) return false;
  ByteChunk data;
  if (!ReadWholeFile(file, &data)) return false;
  return LoadBankData(data.GetBytes(), data.Size());
}

bool IFxBase::LoadProgramData(const unsigned char* data, int size) {
  if (!data || size < kProgramHeaderLen) return false;
  if (!MagicIs(data, "CcnK") || ReadBE32(data + 12) != 1 || ReadBE32(data + 16) != mUniqueID)
    return false;
  const bool chunkKind = MagicIs(data + 8, "FPCh") && DoesStateChunks();
  const bool paramKind = MagicIs(data + 8, "FxCk");
  if (!chunkKind && !paramKind) return false;
  char name[kFileNameLen + 1];
  ReadFileName(data, name);

  // Every structural check comes before the first change.
  ByteChunk block;
  if (chunkKind && !ReadStateBlock(data, size, kProgramHeaderLen, &block)) return false;
  if (paramKind &&
      (size - kProgramHeaderLen < 4LL * NParams() || !ParamProgramIsValid(data, NParams())))
    return false;

  KIT_MutexLock lock(&mMutex);
  Backup backup;
  if (!TakeBackup(&backup)) return false;
  bool ok = true;
  if (chunkKind) {
    int pos = 0;
    GetIFxVerFromChunk(&block, &pos);
    ok = UnserializeState(&block, pos) >= 0;
  } else {
    for (int i = 0; i < NParams(); ++i)
      GetParam(i)->SetNormalized(ReadBEFloat(data + kProgramHeaderLen + 4 * i));
  }
  if (ok) {
    if (mPresets.Get(mCurrentPresetIdx))
      ok = ModifyCurrentPreset(name) && RestorePreset(mCurrentPresetIdx);
    else if (paramKind)
      OnParamReset();  // no preset to restore through: dispatch the values here
  }
  if (!ok) {
    RestoreBackup(&backup);
    return false;
  }
  InformHostOfProgramChange();
  return true;
}

bool IFxBase::LoadBankData(const unsigned char* data, int size) {
  if (!data || size < kBankHeaderLen) return false;
  if (!MagicIs(data, "CcnK") || ReadBE32(data + 16) != mUniqueID) return false;
  const int32_t nPrograms = ReadBE32(data + 24);
  const int32_t currentIdx = ReadBE32(data + 28);

  if (MagicIs(data + 8, "FBCh") && DoesStateChunks()) {
    // The preset bank covers every slot of this plug-in.
    if (nPrograms != NPresets()) return false;
    ByteChunk block;
    if (!ReadStateBlock(data, size, kBankHeaderLen, &block)) return false;
    int pos = 0;
    GetIFxVerFromChunk(&block, &pos);
    // Puts everything back itself when it fails.
    if (UnserializePresets(&block, pos) < 0) return false;
    InformHostOfProgramChange();
    return true;
  }
  if (!MagicIs(data + 8, "FxBk")) return false;

  const long long programLen = kProgramHeaderLen + 4LL * NParams();
  if (nPrograms < 0 || nPrograms > NPresets() || currentIdx < 0 || currentIdx >= NPresets() ||
      size - kBankHeaderLen < nPrograms * programLen)
    return false;
  for (int p = 0; p < nPrograms; ++p)
    if (!ParamProgramIsValid(data + kBankHeaderLen + p * programLen, NParams())) return false;

  KIT_MutexLock lock(&mMutex);
  Backup backup;
  if (!TakeBackup(&backup)) return false;
  if (!ApplyParamBank(data + kBankHeaderLen, nPrograms, currentIdx)) {
    RestoreBackup(&backup);
    return false;
  }
  InformHostOfProgramChange();
  return true;
}

bool IFxBase::ApplyParamBank(const unsigned char* programs, int nPrograms, int currentIdx) {
  const long long programLen = kProgramHeaderLen + 4LL * NParams();
  for (int p = 0; p < nPrograms; ++p) {
    const unsigned char* program = programs + p * programLen;
    // Only once preset p is current may ModifyCurrentPreset write into it.
    if (!RestorePreset(p)) return false;
    for (int i = 0; i < NParams(); ++i)
      GetParam(i)->SetNormalized(ReadBEFloat(program + kProgramHeaderLen + 4 * i));
    char name[kFileNameLen + 1];
    ReadFileName(program, name);
    if (!ModifyCurrentPreset(name)) return false;
  }
  return RestorePreset(currentIdx);
}

bool IFxBase::DumpPresetSrcCode(const char* file, const char* paramEnumNames[]) {
  if (!file || !file[0]) return false;
  FILE* fp = fopen(file, "w");
  if (!fp) return false;
  KIT_MutexLock lock(&mMutex);
  fprintf(fp, "  MakePresetFromNamedParams(\"name\", %d", NParams());
  for (int i = 0; i < NParams(); ++i) {
    const IParam* param = GetParam(i);
    const char* enumName = paramEnumNames && paramEnumNames[i] ? paramEnumNames[i] : "";
    fprintf(fp, ",\n    %s, ", enumName);
    switch (param->Type()) {
      case IParam::kTypeBool:
        fprintf(fp, "%s", param->Value() >= 0.5 ? "true" : "false");
        break;
      case IParam::kTypeDouble:
        fprintf(fp, "%.6f", param->Value());
        break;
      // Read back as int by the preset makers.
      default:
        fprintf(fp, "%d", param->Int());
        break;
    }
  }
  fprintf(fp, ");\n");
  const bool written = !ferror(fp);
  return fclose(fp) == 0 && written;
}

namespace {

void WriteBlobLine(FILE* fp, const char* name, const ByteChunk& state) {
  KIT_String text;
  Base64Encode(state.GetBytes(), state.Size(), &text);
  fprintf(fp, "MakePresetFromBlob(\"%s\", \"%s\", %d);\n", name, text.Get(), state.Size());
}

}  // namespace

bool IFxBase::DumpPresetBlob(const char* file) {
  if (!file || !file[0]) return false;
  const IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return false;
  FILE* fp = fopen(file, "w");
  if (!fp) return false;
  WriteBlobLine(fp, "name", preset->mChunk);
  const bool written = !ferror(fp);
  return fclose(fp) == 0 && written;
}

bool IFxBase::DumpBankBlob(const char* file) {
  if (!file || !file[0]) return false;
  FILE* fp = fopen(file, "w");
  if (!fp) return false;
  for (int i = 0; i < NPresets(); ++i) {
    const IPreset* preset = mPresets.Get(i);
    WriteBlobLine(fp, preset->mName, preset->mChunk);
  }
  const bool written = !ferror(fp);
  return fclose(fp) == 0 && written;
}
