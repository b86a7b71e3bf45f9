#include "ui/CtrlText.h"

#include <algorithm>

namespace ui {

// Letters outside ASCII are written as universal character names, so that the texts do
// not depend on the encoding a compiler assumes for this file.

constexpr StringTable CtrlText_enUS{{{
    {"About", L"About"},
    {"Cancel", L"Cancel"},
    {"Chars", L"(4-8 characters)"},
    {"Confirm_Pwd", L"Confirm Password:"},
    {"Create_New_Pwd", L"Create New Password"},
    {"Exit", L"Exit"},
    {"First_Launch", L"This is the first launch of Anti-Theft, and this password is used to quit this function"},
    {"HDD_Prot", L"Hard Drive Protection"},
    {"Help", L"Help"},
    {"NB_Prot", L"Anti-Theft"},
    {"New_Pwd", L"New Password:"},
    {"No_Shock", L"No shock or vibration, HDD is functional"},
    {"OK", L"OK"},
    {"Pwd", L"Password:"},
    {"Pwd_Chars_Invalid", L"The password contains characters that cannot be used; use letters and digits"},
    {"Pwd_Verify", L"Please enter password to disable Anti-Theft"},
    {"Retry", L"Retry"},
    {"Shcoked", L"Shock or vibration detected, HDD protected"},
    {"Tray_Logo", L"Quen Tremorlink"},
    {"Unattended", L"Unauthorized removed, please enter password to stop the beep sound"},
    {"Wrong_Pwd", L"Wrong Password"},
    {"Wrong_Pwd_Info", L"The password is incorrect"},
}}};

constexpr StringTable CtrlText_zhCN{{{
    {"About", L"\u5173\u4e8e"},
    {"Cancel", L"\u53d6\u6d88"},
    {"Chars", L"(4-8 \u5b57\u7b26)"},
    {"Confirm_Pwd", L"\u786e\u8ba4\u5bc6\u7801:"},
    {"Create_New_Pwd", L"\u521b\u5efa\u65b0\u5bc6\u7801"},
    {"Exit", L"\u9000\u51fa"},
    {"First_Launch", L"\u8fd9\u662f\u9996\u6b21\u542f\u52a8\u9632\u76d7\u529f\u80fd\uff0c\u6b64\u5bc6\u7801\u7528\u4e8e"
                     L"\u9000\u51fa\u8be5\u529f\u80fd"},
    {"HDD_Prot", L"\u786c\u76d8\u4fdd\u62a4"},
    {"Help", L"\u5e2e\u52a9"},
    {"NB_Prot", L"\u9632\u76d7"},
    {"New_Pwd", L"\u65b0\u5bc6\u7801:"},
    {"No_Shock", L"\u65e0\u649e\u51fb\u6216\u9707\u52a8\uff0c\u786c\u76d8\u8fd0\u884c\u6b63\u5e38"},
    {"OK", L"\u786e\u5b9a"},
    {"Pwd", L"\u5bc6\u7801:"},
    {"Pwd_Chars_Invalid", L"\u5bc6\u7801\u5305\u542b\u65e0\u6cd5\u4f7f\u7528\u7684\u5b57\u7b26\uff0c\u8bf7\u4f7f\u7528"
                          L"\u5b57\u6bcd\u548c\u6570\u5b57"},
    {"Pwd_Verify", L"\u8bf7\u8f93\u5165\u5bc6\u7801\u4ee5\u505c\u7528\u9632\u76d7\u529f\u80fd"},
    {"Retry", L"\u91cd\u8bd5"},
    {"Shcoked", L"\u68c0\u6d4b\u5230\u649e\u51fb\u6216\u9707\u52a8\uff0c\u786c\u76d8\u5df2\u53d7\u4fdd\u62a4"},
    {"Tray_Logo", L"Quen Tremorlink"},
    {"Unattended",
     L"\u672a\u7ecf\u6388\u6743\u79fb\u52a8\uff0c\u8bf7\u8f93\u5165\u5bc6\u7801\u4ee5\u505c\u6b62\u8b66\u62a5\u58f0"},
    {"Wrong_Pwd", L"\u5bc6\u7801\u9519\u8bef"},
    {"Wrong_Pwd_Info", L"\u5bc6\u7801\u4e0d\u6b63\u786e"},
}}};

constexpr StringTable CtrlText_zhTw{{{
    {"About", L"\u95dc\u65bc"},
    {"Cancel", L"\u53d6\u6d88"},
    {"Chars", L"(4-8 \u5b57\u5143)"},
    {"Confirm_Pwd", L"\u78ba\u8a8d\u5bc6\u78bc:"},
    {"Create_New_Pwd", L"\u5efa\u7acb\u65b0\u5bc6\u78bc"},
    {"Exit", L"\u7d50\u675f"},
    {"First_Launch", L"\u9019\u662f\u7b2c\u4e00\u6b21\u555f\u52d5\u9632\u76dc\u529f\u80fd\uff0c\u6b64\u5bc6\u78bc\u7528"
                     L"\u65bc\u7d50\u675f\u6b64\u529f\u80fd"},
    {"HDD_Prot", L"\u4fdd\u8b77\u786c\u789f"},
    {"Help", L"\u8aaa\u660e"},
    {"NB_Prot", L"\u9632\u76dc"},
    {"New_Pwd", L"\u65b0\u5bc6\u78bc:"},
    {"No_Shock", L"\u7121\u649e\u64ca\u6216\u9707\u52d5\uff0c\u786c\u789f\u904b\u4f5c\u6b63\u5e38"},
    {"OK", L"\u78ba\u5b9a"},
    {"Pwd", L"\u5bc6\u78bc:"},
    {"Pwd_Chars_Invalid", L"\u5bc6\u78bc\u5305\u542b\u7121\u6cd5\u4f7f\u7528\u7684\u5b57\u5143\uff0c\u8acb\u4f7f\u7528"
                          L"\u5b57\u6bcd\u548c\u6578\u5b57"},
    {"Pwd_Verify", L"\u8acb\u8f38\u5165\u5bc6\u78bc\u4ee5\u505c\u7528\u9632\u76dc\u529f\u80fd"},
    {"Retry", L"\u91cd\u8a66"},
    {"Shcoked", L"\u5075\u6e2c\u5230\u649e\u64ca\u6216\u9707\u52d5\uff0c\u786c\u789f\u5df2\u53d7\u4fdd\u8b77"},
    {"Tray_Logo", L"Quen Tremorlink"},
    {"Unattended",
     L"\u672a\u7d93\u6388\u6b0a\u79fb\u52d5\uff0c\u8acb\u8f38\u5165\u5bc6\u78bc\u4ee5\u505c\u6b62\u8b66\u5831\u8072"},
    {"Wrong_Pwd", L"\u5bc6\u78bc\u932f\u8aa4"},
    {"Wrong_Pwd_Info", L"\u5bc6\u78bc\u4e0d\u6b63\u78ba"},
}}};

constexpr StringTable CtrlText_deDE{{{
    {"About", L"Info"},
    {"Cancel", L"Abbrechen"},
    {"Chars", L"(4-8 zeichen)"},
    {"Confirm_Pwd", L"Kennwort best\u00e4tigen:"},
    {"Create_New_Pwd", L"Neues Kennwort erstellen"},
    {"Exit", L"Beenden"},
    {"First_Launch", L"Anti-Theft wird zum ersten Mal gestartet, und mit diesem Kennwort wird die Funktion beendet"},
    {"HDD_Prot", L"Festplattenschutz"},
    {"Help", L"Hilfe"},
    {"NB_Prot", L"Anti-Theft"},
    {"New_Pwd", L"Neues Kennwort:"},
    {"No_Shock", L"Keine Ersch\u00fctterung oder Vibration, Festplatte ist betriebsbereit"},
    {"OK", L"OK"},
    {"Pwd", L"Kennwort:"},
    {"Pwd_Chars_Invalid", L"Das Kennwort enth\u00e4lt unzul\u00e4ssige Zeichen; verwenden Sie Buchstaben und Ziffern"},
    {"Pwd_Verify", L"Bitte geben Sie das Kennwort ein, um Anti-Theft zu deaktivieren"},
    {"Retry", L"Wiederholen"},
    {"Shcoked", L"Ersch\u00fctterung oder Vibration erkannt, Festplatte gesch\u00fctzt"},
    {"Tray_Logo", L"Quen Tremorlink"},
    {"Unattended", L"Unbefugt entfernt, bitte geben Sie das Kennwort ein, um den Signalton zu beenden"},
    {"Wrong_Pwd", L"Falsches Kennwort"},
    {"Wrong_Pwd_Info", L"Das Kennwort ist falsch"},
}}};

constexpr StringTable CtrlText_frFR{{{
    {"About", L"\u00c0 propos de"},
    {"Cancel", L"Annuler"},
    {"Chars", L"(4-8 caract\u00e8res)"},
    {"Confirm_Pwd", L"Confirmer le mot de passe :"},
    {"Create_New_Pwd", L"Nouveau mot de passe"},
    {"Exit", L"Quitter"},
    {"First_Launch", L"Ceci est le premier lancement d'Antivol, et ce mot de passe sert \u00e0 quitter cette fonction"},
    {"HDD_Prot", L"Protection du disque dur"},
    {"Help", L"Aide"},
    {"NB_Prot", L"Antivol"},
    {"New_Pwd", L"Nouveau mot de passe :"},
    {"No_Shock", L"Aucun choc ni vibration, le disque dur est op\u00e9rationnel"},
    {"OK", L"OK"},
    {"Pwd", L"Mot de passe :"},
    {"Pwd_Chars_Invalid",
     L"Le mot de passe contient des caract\u00e8res non autoris\u00e9s ; utilisez des lettres et des chiffres"},
    {"Pwd_Verify", L"Veuillez entrer le mot de passe pour d\u00e9sactiver Antivol"},
    {"Retry", L"R\u00e9essayer"},
    {"Shcoked", L"Choc ou vibration d\u00e9tect\u00e9, disque dur prot\u00e9g\u00e9"},
    {"Tray_Logo", L"Quen Tremorlink"},
    {"Unattended", L"Retrait non autoris\u00e9, veuillez entrer le mot de passe pour arr\u00eater l'alarme sonore"},
    {"Wrong_Pwd", L"Mot de passe incorrect"},
    {"Wrong_Pwd_Info", L"Le mot de passe est incorrect"},
}}};

constexpr StringTable CtrlText_itIT{{{
    {"About", L"Informazioni su"},
    {"Cancel", L"Annulla"},
    {"Chars", L"(4-8 caratteri)"},
    {"Confirm_Pwd", L"Conferma password:"},
    {"Create_New_Pwd", L"Crea nuova password"},
    {"Exit", L"Esci"},
    {"First_Launch",
     L"Questo \u00e8 il primo avvio di Antifurto, e questa password serve per uscire da questa funzione"},
    {"HDD_Prot", L"Protezione dell'unit\u00e0 disco rigido"},
    {"Help", L"Guida"},
    {"NB_Prot", L"Antifurto"},
    {"New_Pwd", L"Nuova password:"},
    {"No_Shock", L"Nessun urto o vibrazione, il disco rigido \u00e8 funzionante"},
    {"OK", L"OK"},
    {"Pwd", L"Password:"},
    {"Pwd_Chars_Invalid", L"La password contiene caratteri non consentiti; usare lettere e cifre"},
    {"Pwd_Verify", L"Immettere la password per disattivare Antifurto"},
    {"Retry", L"Riprova"},
    {"Shcoked", L"Rilevato urto o vibrazione, disco rigido protetto"},
    {"Tray_Logo", L"Quen Tremorlink"},
    {"Unattended", L"Rimozione non autorizzata, immettere la password per interrompere il segnale acustico"},
    {"Wrong_Pwd", L"Password errata"},
    {"Wrong_Pwd_Info", L"La password non \u00e8 corretta"},
}}};

constexpr StringTable CtrlText_ptPT{{{
    {"About", L"Acerca de"},
    {"Cancel", L"Cancelar"},
    {"Chars", L"(4-8 caracteres)"},
    {"Confirm_Pwd", L"Confirmar palavra-passe:"},
    {"Create_New_Pwd", L"Criar nova palavra-passe"},
    {"Exit", L"Sair"},
    {"First_Launch", L"Esta \u00e9 a primeira execu\u00e7\u00e3o do Anti-roubo, e esta palavra-passe \u00e9 utilizada "
                     L"para sair desta fun\u00e7\u00e3o"},
    {"HDD_Prot", L"Protec\u00e7\u00e3o do disco r\u00edgido"},
    {"Help", L"Ajuda"},
    {"NB_Prot", L"Anti-roubo"},
    {"New_Pwd", L"Nova palavra-passe:"},
    {"No_Shock", L"Sem choques nem vibra\u00e7\u00f5es, o disco r\u00edgido est\u00e1 operacional"},
    {"OK", L"OK"},
    {"Pwd", L"Palavra-passe:"},
    {"Pwd_Chars_Invalid",
     L"A palavra-passe cont\u00e9m caracteres que n\u00e3o podem ser utilizados; utilize letras e algarismos"},
    {"Pwd_Verify", L"Introduza a palavra-passe para desactivar o Anti-roubo"},
    {"Retry", L"Repetir"},
    {"Shcoked", L"Choque ou vibra\u00e7\u00e3o detectado, disco r\u00edgido protegido"},
    {"Tray_Logo", L"Quen Tremorlink"},
    {"Unattended", L"Remo\u00e7\u00e3o n\u00e3o autorizada, introduza a palavra-passe para parar o aviso sonoro"},
    {"Wrong_Pwd", L"Palavra-passe incorrecta"},
    {"Wrong_Pwd_Info", L"A palavra-passe est\u00e1 incorrecta"},
}}};

constexpr StringTable CtrlText_esCO{{{
    {"About", L"Acerca de"},
    {"Cancel", L"Cancelar"},
    {"Chars", L"(4-8 caracteres)"},
    {"Confirm_Pwd", L"Confirmar contrase\u00f1a:"},
    {"Create_New_Pwd", L"Crear nueva contrase\u00f1a"},
    {"Exit", L"Salir"},
    {"First_Launch",
     L"Esta es la primera vez que se inicia Antirrobo, y esta contrase\u00f1a se usa para salir de esta funci\u00f3n"},
    {"HDD_Prot", L"Protecci\u00f3n del disco duro"},
    {"Help", L"Ayuda"},
    {"NB_Prot", L"Antirrobo"},
    {"New_Pwd", L"Nueva contrase\u00f1a:"},
    {"No_Shock", L"Sin golpes ni vibraciones, el disco duro funciona correctamente"},
    {"OK", L"Aceptar"},
    {"Pwd", L"Contrase\u00f1a:"},
    {"Pwd_Chars_Invalid", L"La contrase\u00f1a contiene caracteres no permitidos; use letras y n\u00fameros"},
    {"Pwd_Verify", L"Ingrese la contrase\u00f1a para desactivar Antirrobo"},
    {"Retry", L"Reintentar"},
    {"Shcoked", L"Golpe o vibraci\u00f3n detectado, disco duro protegido"},
    {"Tray_Logo", L"Quen Tremorlink"},
    {"Unattended", L"Extracci\u00f3n no autorizada, ingrese la contrase\u00f1a para detener el sonido de alarma"},
    {"Wrong_Pwd", L"Contrase\u00f1a incorrecta"},
    {"Wrong_Pwd_Info", L"La contrase\u00f1a es incorrecta"},
}}};

namespace {

constexpr bool KeysAreUnique(const StringTable& table)
{
    const auto& entries = table.AllEntries();
    for (auto first = entries.begin(); first != entries.end(); ++first) {
        if (std::any_of(first + 1, entries.end(), [&](const auto& later) { return later.key == first->key; })) {
            return false;
        }
    }
    return true;
}

// Same keys in the same order as English, and a text for each: a window looks up any key
// in whichever table the locale chose.
constexpr bool MatchesEnglish(const StringTable& table)
{
    return std::ranges::equal(table.AllEntries(), CtrlText_enUS.AllEntries(),
                              [](const auto& entry, const auto& english) { return entry.key == english.key; }) &&
           std::ranges::none_of(table.AllEntries(), [](const auto& entry) { return entry.text.empty(); });
}

static_assert(KeysAreUnique(CtrlText_enUS));
static_assert(MatchesEnglish(CtrlText_enUS));
static_assert(MatchesEnglish(CtrlText_zhCN));
static_assert(MatchesEnglish(CtrlText_zhTw));
static_assert(MatchesEnglish(CtrlText_deDE));
static_assert(MatchesEnglish(CtrlText_frFR));
static_assert(MatchesEnglish(CtrlText_itIT));
static_assert(MatchesEnglish(CtrlText_ptPT));
static_assert(MatchesEnglish(CtrlText_esCO));

} // namespace

} // namespace ui
