#include "framework/dialogs/IMSelectPrinterDialog.h"

#include "framework/dialogs/dialog_parts.h"
#include "platform/gdi32.h"
#include "platform/kernel32.h"
#include "platform/winspool.h"

#include <boost/bind/bind.hpp>

#include <vector>

namespace {

const RECT kPlace{220, 125, 580, 375};
const DWORD kOpaqueBlack = 0xFF000000u;
// Enough for any queue name the print service allows.
const DWORD kProfileBuffer = 512;
// What stands between the name and the port in the profile's "device" entry.
const wchar_t* const kDriverField = L",winspool,";

} // namespace

IMSelectPrinterDialog::IMSelectPrinterDialog(IMDialogBase* parent)
    : IMDialogBase<IMEmptyView>(parent, &kPlace, 0),
      background(nullptr),
      printButton(nullptr),
      closeButton(nullptr),
      list(nullptr),
      failureLine(nullptr),
      listUnanswered(false)
{
    background = dialogs::AddBackgroundAndFrame(this);
    if (IMStaticText* caption = IMStaticText::Create(this, 30, 38, L"Выберите принтер:", 0))
        caption->SetTextColor(kOpaqueBlack);
    list = new IMList(this);
    list->SetRect(RECT{30, 58, 330, 158});
    printButton = dialogs::AddSkinnedButton(this, 30, 179, L"PrintButton");
    closeButton = dialogs::AddSkinnedButton(this, 221, 179, L"CloseButton");
    if (closeButton)
        closeButton->ConnectClicked(boost::bind(&IMControl::Close, static_cast<IMControl*>(this)));
    FillList();
}

IMSelectPrinterDialog::~IMSelectPrinterDialog() = default;

std::wstring IMSelectPrinterDialog::DefaultPrinterName(const std::wstring& deviceEntry)
{
    const size_t driver = deviceEntry.find(kDriverField);
    return deviceEntry.substr(0, driver != std::wstring::npos ? driver : deviceEntry.find(L','));
}

void IMSelectPrinterDialog::FillList()
{
    DWORD needed = 0;
    DWORD count = 0;
    if (!EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &count))
        listUnanswered = GetLastError() == ERROR_TIMEOUT;
    std::vector<BYTE> buffer(needed);
    count = 0;
    // Only a successful call's count describes the buffer.
    if (needed == 0 ||
        !EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &count) ||
        static_cast<size_t>(count) * sizeof(PRINTER_INFO_2W) > buffer.size())
        count = 0;

    std::vector<wchar_t> entry(kProfileBuffer, L'\0');
    GetProfileStringW(L"windows", L"device", L",,,", entry.data(), kProfileBuffer);
    const std::wstring defaultName = DefaultPrinterName(entry.data());

    const PRINTER_INFO_2W* records = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (!records[i].pPrinterName)
            continue;
        const std::wstring name = records[i].pPrinterName;
        IMList::Item* item = list->AddItem(name);
        if (item && !defaultName.empty() && name == defaultName)
            list->SelectItem(item);
    }
}

HDC IMSelectPrinterDialog::CreatePrinterDC() const
{
    const IMList::Item* selected = list ? list->GetSelectedItem() : nullptr;
    if (!selected)
        return nullptr;
    const std::wstring name = selected->GetText();
    return CreateDCW(nullptr, name.c_str(), nullptr, nullptr);
}

void IMSelectPrinterDialog::ShowFailure(const std::wstring& text)
{
    dialogs::ShowFailureLine(this, &failureLine, 30, 161, text);
}

std::wstring IMSelectPrinterDialog::FailureText(DWORD lastError) const
{
    const std::wstring failed = L"Не удалось напечатать";
    const std::wstring because = failed + L": ";
    if (!list || list->GetItems().empty())
        return because + (listUnanswered ? L"служба печати не отвечает" : L"принтер не настроен");
    if (!list->GetSelectedItem())
        return because + L"выберите принтер";
    switch (lastError) {
    case ERROR_TIMEOUT:
        return because + L"служба печати не отвечает";
    case RPC_S_SERVER_UNAVAILABLE:
        return because + L"служба печати недоступна";
    case ERROR_INVALID_PRINTER_NAME:
        return because + L"принтер не найден";
    case ERROR_NOT_READY:
        return because + L"принтер не принимает задания";
    case ERROR_ACCESS_DENIED:
        return because + L"нет прав на печать";
    case ERROR_NOT_ENOUGH_MEMORY:
        return because + L"не хватает памяти";
    case ERROR_GEN_FAILURE:
        return because + L"принтер отклонил задание";
    default:
        return failed;
    }
}
