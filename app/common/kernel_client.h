#pragma once
// The desktop program's hold on the kernel. It reaches the kernel only through class
// activation of "VelDriveServer.1" and the kernel's three interfaces; it never links the
// kernel's code. The one drive server is created at start-up and lives until the program
// ends.

#include <QString>
#include <QStringList>

#include <optional>

#include "kernel/automation/veldrive_interfaces.h"
#include "platform/com/bstr.h"
#include "platform/com/com_ptr.h"

inline constexpr char kDriveServerProgId[] = "VelDriveServer.1";

class KernelClient {
 public:
  // Creates the drive server. Nothing when the kernel is not registered or cannot be
  // loaded; *error then names the result code and the activation's message.
  static std::optional<KernelClient> create(QString* error = nullptr);

  IVelDriveServer* server() const { return server_.get(); }
  // IVelDriveServer.version; empty when the call fails.
  QString version() const;
  // The kernel's segment type names in its order (segmentType 0 … segmentTypeCount − 1).
  QStringList segmentTypes() const;

 private:
  explicit KernelClient(ComPtr<IVelDriveServer> server) : server_(std::move(server)) {}
  ComPtr<IVelDriveServer> server_;
};

// The segment type names server lists, in its order.
QStringList segmentTypesOf(IVelDriveServer* server);

// Automation strings from and to the program's texts.
Bstr toBstr(const QString& text);
QString toQString(const Bstr& text);

// Kernel messages (reportError) reach the user as a message box titled by the kernel
// ("kError") through the installed UserDialogs.
void routeKernelMessagesToUser();
