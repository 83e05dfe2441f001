// Processing, parameter sets and glides allocate nothing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "DspLib/Dsp.h"
#include "alloc_hook.h"

namespace {

using namespace Dsp;

TEST(Allocation, NoneOnTheAudioPath) {
  SmoothedFilterDesign<Bessel::Design::LowPass<4>, 2, DirectFormII> bessel(512);
  SmoothedFilterDesign<ChebyshevI::Design::HighPass<4>, 2, DirectFormI> cheby(512);
  SmoothedFilterDesign<RBJ::Design::BandStop, 2, DirectFormII> rbj(512);
  SmoothedFilterDesign<Elliptic::Design::LowPass<8>, 2, DirectFormII> elliptic(512);
  SmoothedFilterDesign<Legendre::Design::HighPass<8>, 2, DirectFormII> legendre(512);
  SmoothedFilterDesign<ChebyshevII::Design::BandShelf<4>, 2, DirectFormI> cheby2(512);
  SmoothedFilterDesign<Custom::Design::TwoPole, 2, DirectFormII> custom(512);
  std::vector<double> l(1024, 0.25), r(1024, -0.25);
  std::vector<float> fl(1024, 0.25f), fr(1024, -0.25f);
  double* ch[2] = {l.data(), r.data()};
  float* fch[2] = {fl.data(), fr.data()};
  Filter* filters[] = {&bessel, &cheby, &rbj, &elliptic, &legendre, &cheby2, &custom};

  AllocationCounter allocations;
  for (Filter* f : filters) {
    f->setParams(f->getDefaultParams());
    f->process(1024, ch);
    f->setParamById(idFrequency, 5000);
    f->setParamById(idOrder, 3);
    f->setParamById(idRolloff, -2);
    f->setParamById(idStopDb, 20);
    f->setParamById(idPoleRho, 0.9);
    f->process(300, ch);
    f->process(1024, fch);
    f->doSetTransitionSamples(2048);
    f->reset();
    f->process(1024, ch);
    (void)f->response(0.1);
  }
  EXPECT_EQ(allocations.count(), 0);
}

}  // namespace
