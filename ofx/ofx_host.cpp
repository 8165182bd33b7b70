// SPDX-License-Identifier: GPL-2.0-or-later
#include "ofx/ofx_host.h"

namespace {

OfxHostSuites suites;

template <typename Suite>
const Suite* Fetch(const char* name, int version) {
  if (!suites.host || !suites.host->fetchSuite) return nullptr;
  return static_cast<const Suite*>(suites.host->fetchSuite(suites.host->host, name, version));
}

}  // namespace

const OfxHostSuites& HostSuites() { return suites; }

void SetOfxHost(const OfxHost* host) {
  // Nothing may be called on the host here: it only hands over its record.
  suites = OfxHostSuites{};
  suites.host = host;
}

OfxStatus LoadHostSuites() {
  suites.props = Fetch<OfxPropertySuiteV1>(ofx::kPropertySuite, 1);
  suites.effects = Fetch<OfxImageEffectSuiteV1>(ofx::kImageEffectSuite, 1);
  suites.params = Fetch<OfxParameterSuiteV1>(ofx::kParameterSuite, 1);
  suites.messages = Fetch<OfxMessageSuiteV1>(ofx::kMessageSuite, 1);
  if (!suites.props || !suites.effects || !suites.params) {
    UnloadHostSuites();
    return ofx::kStatErrMissingHostFeature;
  }
  return ofx::kStatOK;
}

void UnloadHostSuites() {
  const OfxHost* host = suites.host;
  suites = OfxHostSuites{};
  suites.host = host;
}

void PostErrorMessage(OfxImageEffectHandle effect, const char* text) {
  if (suites.messages && suites.messages->message) {
    suites.messages->message(effect, ofx::kMessageError, nullptr, "%s", text);
  }
}
