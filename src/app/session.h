#pragma once
// The session: every value the whole program reads once start-up has set it. One object, made by
// main and handed to whoever needs it; there are no globals.
//
// Values fixed during start-up are plain members, written only by the start-up sequence before
// any procedure runs. The few that change while procedures run on other threads (the working
// month, the printer, the company record) sit behind a mutex and are read as copies.

#include "app/calendar.h"
#include "app/settings.h"
#include "core/date.h"
#include "core/result.h"
#include "data/records.h"

#include <array>
#include <filesystem>
#include <mutex>
#include <string>

namespace hk::app {

class Session {
  public:
    explicit Session(std::filesystem::path settingsFile);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Settings& settings() { return settings_; }
    const Settings& settings() const { return settings_; }

    // ---- fixed during start-up -------------------------------------------------------------
    std::string VeriYolu;         // "Path" value, empty without one
    std::string AktifKullanici;   // logged-in user ID
    int AnaKullanici = 0;         // 1 for a master user
    std::array<std::string, 12> AyAdlari{};
    // [Fis] 33Satir, [Fis] iciSirala, [OZEL] KONTROL, [Ozel] Kovan as read at start.
    bool Fis33Satir = false;
    bool FisIciSirala = false;
    int OzelKontrol = 0;
    int OzelKovan = 0;

    // ---- fiscal calendar (follows the company record) --------------------------------------
    int AyFarki() const;
    std::string CalismaYili() const; // year of the fiscal-period start as digits ("" when unset)
    core::Date AyBaslangic(int fiscalMonth) const;
    core::Date AyBitis(int fiscalMonth) const;
    FiscalCalendar calendar() const;

    // ---- values that change while the program runs -----------------------------------------
    int CalisilanAy() const; // working calendar month 1..12
    int SeciliAy() const;    // its fiscal month 1..12
    // Start-up: [CalisilanAy] AyNo, or the current calendar month when 0 or missing.
    void loadCalisilanAy(core::Date today);
    // The voucher list chose fiscal month m: CalisilanAy follows and is written to the settings
    // file. Months outside 1..12 are refused and nothing changes.
    core::Status setSeciliAy(int fiscalMonth);
    // Sets the working month directly (the company record was created: month 1), written back.
    core::Status setCalisilanAy(int calendarMonth);

    std::string YaziciAdi() const;
    // The printer choice: kept and written to [Printer] Name.
    core::Status setYaziciAdi(const std::string& device);
    void loadYaziciAdi();

    // Journal and e-ledger values: typed in the journal window, read by the exports, which may
    // run on another thread; so they are read and written as one copy.
    struct Edefter {
        std::string EdefterKayitEden; // recorder name for vouchers without one (30 characters)
        int SubeKodu = 0;             // branch code
        std::string EdefterDosyasi;   // full name of the export file being written
    };
    Edefter edefter() const;
    void setEdefter(const Edefter& values);

    // The company record held in memory for the run.
    data::Yasal company() const;
    // Replaces it and recomputes AyFarki, the month table and CalismaYili.
    void setCompany(const data::Yasal& y);

  private:
    Settings settings_;
    mutable std::mutex mutex_;
    data::Yasal company_;
    FiscalCalendar calendar_;
    int calisilanAy_ = 1;
    std::string yaziciAdi_;
    Edefter edefter_;
};

} // namespace hk::app
