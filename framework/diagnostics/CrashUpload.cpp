// The crash report upload: one multipart form POST to the crash server,
// built on a thread of its own and sent through gHTTPTransfer.

#include "framework/diagnostics/CrashReporter.h"

#include "framework/app/Buffer.h"
#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "framework/diagnostics/HTTPTransfer.h"

namespace Lumo
{
namespace CrashReporter
{

namespace
{

// 27 hyphens and "7d3e1f30eec".
const std::string kBoundary = std::string(27, '-') + "7d3e1f30eec";

std::string PartHeader(const std::string& name)
{
    return "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"";
}

} // namespace

std::string BuildUploadBody(const std::map<std::string, std::string>& extraFields,
                            const std::string& product, const std::string& version,
                            const std::string& userText, const std::string& errorTitle,
                            const std::string& errorText, bool attachDemo,
                            const std::string& attachment)
{
    std::string body;
    auto field = [&body](const std::string& name, const std::string& value)
    { body += PartHeader(name) + "\r\n\r\n" + value + "\r\n"; };
    for (const auto& extra : extraFields)
        field(extra.first, extra.second);
    field("prod", product);
    field("version", version);
    field("usertext", userText);
    field("errortitle", errorTitle);
    field("errortext", errorText);
    if (attachDemo)
        body += PartHeader("demofile") +
                "; filename=\"fennix.dmo\"\r\nContent-Type: application/octet-stream\r\n\r\n" +
                attachment + "\r\n";
    body += "--" + kBoundary + "--\r\n";
    return body;
}

std::string BuildUploadRequest(const std::string& host, const std::string& body)
{
    return "POST /vantic_error.php HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=" +
           kBoundary + "\r\nUser-Agent: Mozilla/4.0 (compatible; fennix)\r\nHost: " + host +
           "\r\nContent-Length: " + StrFormat("%d", (int)body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

unsigned __stdcall SubmitReport(void*)
{
    LumoAppBase* app = gCrashReporterApp;
    if (!app)
        return 0;
    std::map<std::string, std::string> extraFields;
    app->Hook42(extraFields);
    // An attachment that cannot be read still goes as an empty part.
    std::string attachment;
    if (gCrashAttachDemo)
    {
        Buffer file;
        if (app->ReadFileToBuffer(gCrashAttachmentPath, &file) && file.GetDataLen() > 0)
            attachment.assign(reinterpret_cast<const char*>(file.GetDataPtr()),
                              (size_t)file.GetDataLen());
    }
    std::string body =
        BuildUploadBody(extraFields, app->mProductName, app->mProductVersion, gCrashUserText,
                        gCrashErrorTitle, gCrashErrorText, gCrashAttachDemo != 0, attachment);
    gHTTPTransfer.SendRequest(gCrashServerHost, BuildUploadRequest(gCrashServerHost, body));
    return 0;
}

} // namespace CrashReporter
} // namespace Lumo
