#include "app/session.h"

namespace hk::app {

Session::Session(std::filesystem::path settingsFile) : settings_(std::move(settingsFile)) {
    AyAdlari = ayAdlari();
}

int Session::AyFarki() const {
    std::lock_guard lock(mutex_);
    return calendar_.ayFarki();
}

std::string Session::CalismaYili() const {
    std::lock_guard lock(mutex_);
    return company_.MALIDONEMBAS.year ? std::to_string(company_.MALIDONEMBAS.year) : std::string();
}

core::Date Session::AyBaslangic(int fiscalMonth) const {
    std::lock_guard lock(mutex_);
    return calendar_.ayBaslangic(fiscalMonth);
}

core::Date Session::AyBitis(int fiscalMonth) const {
    std::lock_guard lock(mutex_);
    return calendar_.ayBitis(fiscalMonth);
}

FiscalCalendar Session::calendar() const {
    std::lock_guard lock(mutex_);
    return calendar_;
}

int Session::CalisilanAy() const {
    std::lock_guard lock(mutex_);
    return calisilanAy_;
}

int Session::SeciliAy() const {
    std::lock_guard lock(mutex_);
    return seciliAyOf(calisilanAy_, calendar_.ayFarki());
}

void Session::loadCalisilanAy(core::Date today) {
    int m = settings_.getInt("CalisilanAy", "AyNo", 0);
    // Anything but a month number counts as unset, like 0.
    if (m < 1 || m > 12) m = today.month;
    std::lock_guard lock(mutex_);
    calisilanAy_ = m;
}

core::Status Session::setSeciliAy(int fiscalMonth) {
    if (fiscalMonth < 1 || fiscalMonth > 12)
        return core::Error::badInput("Ay 1 ile 12 arasında olmalıdır: " + std::to_string(fiscalMonth));
    int m;
    {
        std::lock_guard lock(mutex_);
        m = calisilanAyOf(fiscalMonth, calendar_.ayFarki());
        calisilanAy_ = m;
    }
    return settings_.setInt("CalisilanAy", "AyNo", m);
}

core::Status Session::setCalisilanAy(int calendarMonth) {
    if (calendarMonth < 1 || calendarMonth > 12)
        return core::Error::badInput("Ay 1 ile 12 arasında olmalıdır: " + std::to_string(calendarMonth));
    {
        std::lock_guard lock(mutex_);
        calisilanAy_ = calendarMonth;
    }
    return settings_.setInt("CalisilanAy", "AyNo", calendarMonth);
}

std::string Session::YaziciAdi() const {
    std::lock_guard lock(mutex_);
    return yaziciAdi_;
}

core::Status Session::setYaziciAdi(const std::string& device) {
    {
        std::lock_guard lock(mutex_);
        yaziciAdi_ = device;
    }
    return settings_.set("Printer", "Name", device);
}

void Session::loadYaziciAdi() {
    std::string name = settings_.getText("Printer", "Name");
    std::lock_guard lock(mutex_);
    yaziciAdi_ = std::move(name);
}

Session::Edefter Session::edefter() const {
    std::lock_guard lock(mutex_);
    return edefter_;
}

void Session::setEdefter(const Edefter& values) {
    std::lock_guard lock(mutex_);
    edefter_ = values;
}

data::Yasal Session::company() const {
    std::lock_guard lock(mutex_);
    return company_;
}

void Session::setCompany(const data::Yasal& y) {
    std::lock_guard lock(mutex_);
    company_ = y;
    calendar_ = FiscalCalendar(y.MALIDONEMBAS);
}

} // namespace hk::app
