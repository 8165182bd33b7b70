// SPDX-License-Identifier: GPL-2.0-or-later
// Parameter setup against a host that refuses one of the definitions. (What it declares is
// compared with the effect's parameter table in tests/front_ends.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host_test_support.h"

namespace {

// Counts the effect's add_param calls and refuses only the one at `refuseCall` (1-based);
// every other call goes to the host.
struct AddParamWatch {
  PF_Err(PF_CALL* host)(PF_ProgPtr, PF_ParamIndex, PF_ParamDefPtr) = nullptr;
  int calls = 0;
  int refuseCall = 0;
  PF_Err code = 0;
};
AddParamWatch addWatch;

PF_Err PF_CALL WatchAddParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def) {
  ++addWatch.calls;
  if (addWatch.calls == addWatch.refuseCall) return addWatch.code;
  return addWatch.host(ref, index, def);
}

TEST(ParamsSetup, StopsAtTheFirstRefusalAndReturnsTheHostsCode) {
  for (PF_Err code : {static_cast<PF_Err>(PF_Err_OUT_OF_MEMORY), -1, 517}) {
    for (int refused : {1, 5, 7, 13, 17, 18}) {
      SCOPED_TRACE(testing::Message() << "code " << code << ", parameter " << refused);
      EffectHost host(EffectMain);
      host.OutData().num_params = 77;
      addWatch = AddParamWatch{host.InData().inter.add_param, 0, refused, code};
      host.InData().inter.add_param = WatchAddParam;
      EXPECT_EQ(host.ParamsSetup(), code);
      EXPECT_EQ(addWatch.calls, refused) << "nothing is declared after the refusal";
      EXPECT_EQ(host.ParamCount(), refused) << "the input layer and the parameters before it";
      EXPECT_EQ(host.OutData().num_params, 77);
    }
  }
}

}  // namespace
