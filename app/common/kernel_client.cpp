#include "app/common/kernel_client.h"

#include "app/common/user_dialogs.h"
#include "platform/com/activation.h"
#include "platform/com/errorinfo.h"
#include "platform/msgbox/message_box.h"

namespace {

QString resultText(HRESULT hr) {
  return QStringLiteral("0x%1").arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0'));
}

int askUser(const char* text, const char* title) {
  showMessage(QString::fromUtf8(text), QString::fromUtf8(title), MessageIcon::Critical);
  return kMessageBoxOk;
}

}  // namespace

std::optional<KernelClient> KernelClient::create(QString* error) {
  CoInitialize(nullptr);
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(std::string_view(kDriveServerProgId), &clsid);
  ComPtr<IVelDriveServer> server;
  if (SUCCEEDED(hr))
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IVelDriveServer,
                          server.putVoid());
  if (FAILED(hr) || !server) {
    if (error) {
      *error =
          QStringLiteral("%1: %2").arg(QString::fromLatin1(kDriveServerProgId), resultText(hr));
      ComPtr<IErrorInfo> info;
      Bstr description;
      if (GetErrorInfo(0, info.put()) == S_OK && info &&
          SUCCEEDED(info->GetDescription(description.put())))
        *error += QStringLiteral(" (%1)").arg(toQString(description));
    }
    return std::nullopt;
  }
  return KernelClient(std::move(server));
}

QString KernelClient::version() const {
  Bstr text;
  if (FAILED(server_->get_version(text.put()))) return {};
  return toQString(text);
}

QStringList KernelClient::segmentTypes() const { return segmentTypesOf(server_.get()); }

QStringList segmentTypesOf(IVelDriveServer* server) {
  QStringList names;
  LONG count = 0;
  if (FAILED(server->get_segmentTypeCount(&count))) return names;
  for (LONG i = 0; i < count; ++i) {
    Bstr name;
    if (SUCCEEDED(server->get_segmentType(static_cast<SHORT>(i), name.put())))
      names << toQString(name);
  }
  return names;
}

Bstr toBstr(const QString& text) {
  return Bstr(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                  static_cast<std::size_t>(text.size())));
}

QString toQString(const Bstr& text) {
  const std::u16string_view view = text.view();
  return QString::fromUtf16(view.data(), static_cast<qsizetype>(view.size()));
}

void routeKernelMessagesToUser() { setMessageBoxHandler(askUser); }
