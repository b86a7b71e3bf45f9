#pragma once
// The client of the firmware's G-sensor WMI provider in root\wmi: switches the
// provider's protections and keeps the one GSensorEvent subscription, whose sink posts
// the private messages of Messages.h to the main window.
#include <windows.h>
#include <wbemcli.h>
#include <wrl/client.h>

class WMI {
public:
    // Connects through the system's WbemLocator.
    WMI();
    // Connects through the given locator instead (the simulated provider of sim/).
    explicit WMI(IWbemLocator* locator);
    WMI(const WMI&) = delete;
    WMI& operator=(const WMI&) = delete;

    HRESULT WMIEventRegister();
    HRESULT WMIEventUnRegister();

    bool SetHDDProtection(bool enable);
    bool SetNBProtection(bool enable);
    bool FinishProcessEvent();
    bool ParkHDD();
    HRESULT WMIAPExist(int flag);

    HRESULT WMIMethodExecSet(const wchar_t* className, const wchar_t* instancePath, const wchar_t* methodName,
                             const wchar_t* inName, const wchar_t* outName, const VARIANT& value);
    HRESULT WMIMethodExecGet(const wchar_t* instancePath, const wchar_t* methodName, const wchar_t* outName,
                             VARIANT* result);

private:
    void Connect(IWbemLocator* locator);
    bool CallSwitch(const wchar_t* methodName, int status);
    // The call chain of a provider method with one in- and one out-parameter: class,
    // in-parameters, the value, the call and the out-parameter into out. Stops at the
    // first failing step and leaves its status in m_status.
    HRESULT CallMethod(const wchar_t* className, const wchar_t* instancePath, const wchar_t* methodName,
                       const wchar_t* inName, const wchar_t* outName, const VARIANT& value, VARIANT* out);

    Microsoft::WRL::ComPtr<IWbemServices> m_services;
    Microsoft::WRL::ComPtr<IWbemLocator> m_locator;
    HRESULT m_status = S_OK;
    Microsoft::WRL::ComPtr<IWbemObjectSink> m_stubSink;
};
