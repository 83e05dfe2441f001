// Preset slots and the preset bank of the plug-in base.

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "IFxBase.h"

namespace {

const char kUserPresetName[] = "user preset";
// Marks a parameter that a named-parameter preset leaves at its current value.
const double kUnsetValue = 9.999e-8;

}  // namespace

IPreset* GetNextUninitializedPreset(KIT_PtrList<IPreset>* presets) {
  for (int i = 0; i < presets->GetSize(); ++i) {
    IPreset* preset = presets->Get(i);
    if (!preset->mInitialized) return preset;
  }
  return nullptr;
}

void MakeDefaultUserPresetName(KIT_PtrList<IPreset>* presets, char* out) {
  int n = 0;
  for (int i = 0; i < presets->GetSize(); ++i)
    if (strstr(presets->Get(i)->mName, kUserPresetName)) ++n;
  snprintf(out, IPreset::kNameLen, "%s %d", kUserPresetName, n + 1);
}

const char* IFxBase::GetPresetName(int idx) const {
  const IPreset* preset = mPresets.Get(idx);
  return preset ? preset->mName : "";
}

bool IFxBase::MakePresetFromChunk(const char* name, ByteChunk* chunk) {
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return false;
  preset->mChunk.Clear();
  if (chunk && preset->mChunk.PutChunk(chunk) < 0) return false;
  preset->mInitialized = true;
  preset->SetName(name);
  return true;
}

bool IFxBase::MakePreset(const char* name, ...) {
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return false;
  preset->mChunk.Clear();
  va_list vp;
  va_start(vp, name);
  bool ok = true;
  for (int i = 0; i < NParams() && ok; ++i) {
    const double v =
        GetParam(i)->Type() == IParam::kTypeDouble ? va_arg(vp, double) : va_arg(vp, int);
    ok = preset->mChunk.Put(&v) >= 0;
  }
  va_end(vp);
  if (!ok) {
    preset->mChunk.Clear();
    return false;
  }
  preset->mInitialized = true;
  preset->SetName(name);
  return true;
}

bool IFxBase::MakePresetFromNamedParams(const char* name, int nParamsNamed, ...) {
  IPreset* preset = GetNextUninitializedPreset(&mPresets);
  if (!preset) return false;
  const int n = NParams();
  KIT_TypedBuf<double> values;
  values.Resize(n, false);
  if (values.GetSize() != n) return false;
  double* v = values.Get();
  for (int i = 0; i < n; ++i) v[i] = kUnsetValue;

  va_list vp;
  va_start(vp, nParamsNamed);
  for (int k = 0; k < nParamsNamed; ++k) {
    const int idx = va_arg(vp, int);
    const IParam* param = GetParam(idx);
    // The value's type follows the parameter: past an unknown index the
    // remaining arguments cannot be read safely.
    if (!param) break;
    v[idx] = param->Type() == IParam::kTypeDouble ? va_arg(vp, double) : va_arg(vp, int);
  }
  va_end(vp);

  preset->mChunk.Clear();
  for (int i = 0; i < n; ++i) {
    const double value = v[i] == kUnsetValue ? GetParam(i)->Value() : v[i];
    if (preset->mChunk.Put(&value) < 0) {
      preset->mChunk.Clear();
      return false;
    }
  }
  preset->mInitialized = true;
  preset->SetName(name);
  return true;
}

bool IFxBase::MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk) {
  if (sizeOfChunk < 0) return false;
  ByteChunk chunk;
  if (chunk.Resize(sizeOfChunk) != sizeOfChunk) return false;
  Base64Decode(blob, chunk.GetBytes(), sizeOfChunk);
  return MakePresetFromChunk(name, &chunk);
}

void IFxBase::MakeDefaultPreset(const char* name, int nPresets) {
  for (int k = 0; k < nPresets; ++k) {
    IPreset* preset = GetNextUninitializedPreset(&mPresets);
    if (!preset) return;
    preset->mChunk.Clear();
    if (!SerializeState(&preset->mChunk)) {
      preset->mChunk.Clear();
      return;
    }
    preset->mInitialized = true;
    preset->SetName(name ? name : "Empty");
  }
}

void IFxBase::EnsureDefaultPreset() {
  MakeDefaultPreset("Empty", NPresets());
}

void IFxBase::PruneUninitializedPresets() {
  for (int i = NPresets() - 1; i >= 0; --i) {
    if (mPresets.Get(i)->mInitialized) continue;
    mPresets.Delete(i, true);
    // The current index keeps naming the preset it named.
    if (i < mCurrentPresetIdx) --mCurrentPresetIdx;
  }
  if (mCurrentPresetIdx >= NPresets()) mCurrentPresetIdx = NPresets() > 0 ? NPresets() - 1 : 0;
}

bool IFxBase::RestorePreset(int idx) {
  IPreset* preset = mPresets.Get(idx);
  if (!preset) return false;
  if (!preset->mInitialized) {
    preset->mInitialized = true;
    char name[IPreset::kNameLen];
    MakeDefaultUserPresetName(&mPresets, name);
    preset->SetName(name);
    // A never-filled slot captures the running state, and only that.
    preset->mChunk.Clear();
    if (!SerializeState(&preset->mChunk)) return false;
  } else if (UnserializeState(&preset->mChunk, 0) < 1) {
    return false;
  }
  mCurrentPresetIdx = idx;
  PresetsChangedByHost();
  RedrawParamControls();
  return true;
}

bool IFxBase::RestorePreset(const char* name) {
  if (!name || !name[0]) return false;
  for (int i = 0; i < NPresets(); ++i)
    if (!strcmp(mPresets.Get(i)->mName, name)) return RestorePreset(i);
  return false;
}

bool IFxBase::ModifyCurrentPreset(const char* name) {
  IPreset* preset = mPresets.Get(mCurrentPresetIdx);
  if (!preset) return false;
  preset->mChunk.Clear();
  if (!SerializeState(&preset->mChunk)) return false;
  // The slot now holds a state: a later restore must read it, not replace it.
  preset->mInitialized = true;
  if (name && name[0]) preset->SetName(name);
  return true;
}

bool IFxBase::SerializePresets(ByteChunk* chunk) {
  if (!chunk) return false;
  const int start = chunk->Size();
  for (int i = 0; i < NPresets(); ++i) {
    const IPreset* preset = mPresets.Get(i);
    if (chunk->PutStr(preset->mName) < 0 || chunk->PutBool(preset->mInitialized) < 0 ||
        (preset->mInitialized && chunk->PutChunk(&preset->mChunk) < 0)) {
      chunk->Resize(start);
      return false;
    }
  }
  return true;
}

int IFxBase::UnserializePresets(ByteChunk* chunk, int startPos) {
  if (!chunk || startPos < 0) return -1;
  KIT_MutexLock lock(&mMutex);
  Backup backup;
  if (!TakeBackup(&backup)) return -1;

  int pos = startPos;
  for (int i = 0; i < NPresets() && pos >= 0; ++i) {
    IPreset* preset = mPresets.Get(i);
    KIT_String name;
    pos = chunk->GetStr(&name, pos);
    if (pos < 0) break;
    // The stored text ends at its first zero byte, and a slot holds 255.
    preset->SetName(name.Get());

    uint8_t initialized = 0;
    pos = chunk->Get(&initialized, pos);
    if (pos < 0) break;
    if (initialized > 1) {
      pos = -1;
      break;
    }
    // An unfilled slot keeps no state of its own, so restoring it later
    // captures the running state and nothing else.
    preset->mInitialized = initialized != 0;
    preset->mChunk.Clear();
    if (preset->mInitialized) {
      pos = UnserializeState(chunk, pos);
      if (pos <= 0 || !SerializeState(&preset->mChunk)) pos = -1;
    }
  }

  if (pos >= 0) {
    const IPreset* current = mPresets.Get(mCurrentPresetIdx);
    if (current && current->mInitialized) {
      if (!RestorePreset(mCurrentPresetIdx)) pos = -1;
    } else {
      // Restoring an unfilled current slot would fill it and change the bank
      // just read: go back to the running state instead.
      UnserializeState(&backup.mLive, 0);
    }
  }
  if (pos < 0) {
    RestoreBackup(&backup);
    return -1;
  }
  return pos;
}

bool IFxBase::TakeBackup(Backup* backup) {
  backup->mCurrentIdx = mCurrentPresetIdx;
  if (!SerializeState(&backup->mLive)) return false;
  for (int i = 0; i < NPresets(); ++i) {
    const IPreset* preset = mPresets.Get(i);
    IPreset* copy = new IPreset;
    copy->mInitialized = preset->mInitialized;
    copy->SetName(preset->mName);
    if (copy->mChunk.PutChunk(&preset->mChunk) < 0 || !backup->mPresets.Add(copy)) {
      delete copy;
      return false;
    }
  }
  return true;
}

void IFxBase::RestoreBackup(Backup* backup) {
  // Swapping the saved slots back in cannot fail.
  for (int i = 0; i < NPresets() && i < backup->mPresets.GetSize(); ++i) {
    IPreset* changed = mPresets.Get(i);
    mPresets.Set(i, backup->mPresets.Get(i));
    backup->mPresets.Set(i, changed);
  }
  mCurrentPresetIdx = backup->mCurrentIdx;
  UnserializeState(&backup->mLive, 0);
}
