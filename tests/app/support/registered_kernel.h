#pragma once
// The kernel for tests of the desktop program: libVelDrive.so (beside the test program)
// registered into a temporary registry, as an installer would, and the program's one drive
// server created through class activation. Made once per test program, on first use;
// KINETRA_REGISTRY then points at the temporary registry for the rest of the run, so the
// user's own registry is never touched.

#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "app/common/kernel_client.h"
#include "platform/com/activation.h"

class RegisteredKernel {
 public:
  // The drive server, or null (with the reason in error()) when the kernel cannot be
  // registered or created.
  static KernelClient* client() { return instance().client_ ? &*instance().client_ : nullptr; }
  static const QString& error() { return instance().error_; }

 private:
  RegisteredKernel() {
    char pattern[] = "/tmp/kinetra-app-kernel-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
      error_ = QStringLiteral("no temporary folder");
      return;
    }
    folder_ = pattern;
    setenv("KINETRA_REGISTRY", (folder_ + "/registry").c_str(), 1);
    std::string why;
    void* library = loadServerLibrary("libVelDrive.so", &why);
    const auto registerServer =
        library ? reinterpret_cast<DllRegisterServerFn>(dlsym(library, "DllRegisterServer"))
                : nullptr;
    if (registerServer == nullptr || FAILED(registerServer())) {
      error_ = QStringLiteral("cannot register libVelDrive.so: ") + QString::fromStdString(why);
      return;
    }
    client_ = KernelClient::create(&error_);
  }
  ~RegisteredKernel() {
    client_.reset();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  static RegisteredKernel& instance() {
    static RegisteredKernel kernel;
    return kernel;
  }

  std::string folder_;
  std::optional<KernelClient> client_;
  QString error_;
};
