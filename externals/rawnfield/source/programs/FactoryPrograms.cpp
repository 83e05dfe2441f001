// The factory programs: each one is the baseline (for the kick-drum programs
// followed by the kick-drum values), its section's and its own settings
// from the generated table, and its name.
#include "DistoTypes.h"
#include "DynShaper.h"
#include "FactoryProgramTable.h"
#include "FilterTypes.h"
#include "programs/HarshbloomProgram.h"

namespace Rawnfield {

using namespace Harshbloom;

namespace {

double storedValue(const FactoryTable::Setting& s) {
  switch (s.kind) {
    case FactoryTable::kDistortionTypeSel:
      return s.number / static_cast<double>(Types::kNumDistortionTypes);
    case FactoryTable::kFilterTypeSel:
      return FilterUti::getFilterModeSel(static_cast<Types::eFilterType>(s.number));
    case FactoryTable::kShaperTypeSel:
      return DynShaper::getShaperTypeSel(static_cast<eDynShaperType>(s.number));
    case FactoryTable::kShaperModeSel:
      return DynShaper::getShaperModeSel(static_cast<eDynShaperMode>(s.number));
    case FactoryTable::kPlain:
    default:
      return s.number;
  }
}

std::vector<HarshbloomProgram> buildPrograms(const FactoryTable::Entry* entries, int count) {
  std::vector<HarshbloomProgram> list;
  list.reserve(count);
  HarshbloomProgram work;
  for (int i = 0; i < count; ++i) {
    const FactoryTable::Entry& e = entries[i];
    work.initCommonParams(e.volume, e.singleBand);
    if (e.base == FactoryTable::kKickBase) work.initCommonKickParams();
    for (int k = e.first; k < e.first + e.count; ++k) {
      const FactoryTable::Setting& s = FactoryTable::kSettings[k];
      work.setParameterValue(s.tag, storedValue(s));
    }
    work.setProgramName(e.name);
    list.push_back(work);
  }
  return list;
}

}  // namespace

void HarshbloomProgram::initCommonParams(double outVolume, bool singleBand) {
  program.init();
  program.volume.value = outVolume;
  program.subBand.onOff = singleBand ? 0.0 : 1.0;
}

void HarshbloomProgram::initCommonKickParams() {
  program.input.volume = 1.0;
  program.input.saturation = 0.25;
  program.distortion.amount = 0.8;
  program.filterOnOff = 1.0;
  program.filterInputDrive = 0.25;
  program.filterTransition = 0.0;
  program.eq.applyBassRangeCutEQ();
  program.subBand.applyBassRangeBoost();
  program.saturation = 0.0;
  program.autoMakeUp.value = 1.0;
}

std::vector<HarshbloomProgram> HarshbloomProgram::getFactoryPrograms() {
  return buildPrograms(FactoryTable::kEntries,
                       sizeof FactoryTable::kEntries / sizeof FactoryTable::kEntries[0]);
}

std::vector<HarshbloomProgram> HarshbloomProgram::getSpareFactoryPrograms() {
  return buildPrograms(FactoryTable::kSpareEntries,
                       sizeof FactoryTable::kSpareEntries / sizeof FactoryTable::kSpareEntries[0]);
}

}  // namespace Rawnfield
