#include "errors/KorvelException.h"

#include <filesystem>
#include <new>
#include <system_error>

namespace korvel {

namespace {
// Generic failure number for exceptions that carry no number of their own.
constexpr int32_t kGenericFailure = static_cast<int32_t>(0x80004005u);
constexpr int32_t kOutOfMemory = 7;
}  // namespace

FailureInfo DescribeFailure(const std::exception_ptr& failure) {
    FailureInfo info;
    if (!failure) return info;
    try {
        std::rethrow_exception(failure);
    } catch (const KorvelException& e) {
        info = {e.Number(), e.Source(), e.Description()};
    } catch (const std::filesystem::filesystem_error& e) {
        info = {e.code().value(), "File system", e.what()};
    } catch (const std::system_error& e) {
        info = {e.code().value(), "System", e.code().message()};
    } catch (const std::bad_alloc&) {
        info = {kOutOfMemory, "Runtime", "Out of memory"};
    } catch (const std::exception& e) {
        info = {kGenericFailure, "Runtime", e.what()};
    } catch (...) {
        info = {kGenericFailure, "Runtime", "Unknown failure"};
    }
    return info;
}

}  // namespace korvel
