#include "component_class/dispatch.h"

#include <array>
#include <stdexcept>

#include "component/run_context.h"

namespace tarvenish {

namespace {

constexpr std::array kCheckParams{
    ParamSpec{"AccSql", VariantType::I2},
    ParamSpec{"gdbsKavrin", VariantType::Object},
};

constexpr std::array kInitParams{
    ParamSpec{"Dkeep", VariantType::Date},     ParamSpec{"Iswh", VariantType::Bool},
    ParamSpec{"Whcode", VariantType::String},  ParamSpec{"Whname", VariantType::String},
    ParamSpec{"Invcode", VariantType::String}, ParamSpec{"invname", VariantType::String},
    ParamSpec{"style", VariantType::String},   ParamSpec{"quan", VariantType::R8},
    ParamSpec{"money", VariantType::R8},       ParamSpec{"gdbsKavrin", VariantType::Object},
};

constexpr std::array kMembers{
    MemberSpec{kDispIdJustAccount, "JustAccount", kCheckParams},
    MemberSpec{kDispIdInit, "init", kInitParams},
    MemberSpec{kDispIdIFIAstart, "IFIAstart", kCheckParams},
    MemberSpec{kDispIdIFEnd, "IFEnd", kCheckParams},
};

}  // namespace

std::span<const MemberSpec> JustAccountDispatch::members() const noexcept {
    return kMembers;
}

Variant JustAccountDispatch::call(DispId id, std::span<const Variant> args) {
    switch (id) {
        case kDispIdJustAccount: {
            RunContext context;
            return Variant::boolean(m_object.justAccount(context, args[0].toI2(), args[1].toConnection()));
        }
        case kDispIdInit:
            return Variant::fromValue(m_object.init(args[0].toDate(), args[1].toBool(), args[2].toString(),
                                                    args[3].toString(), args[4].toString(),
                                                    args[5].toString(), args[6].toString(), args[7].toR8(),
                                                    args[8].toR8(), args[9].toConnection()));
        case kDispIdIFIAstart:
            return Variant::boolean(m_object.IFIAstart(args[0].toI2(), args[1].toConnection()));
        case kDispIdIFEnd:
            return Variant::boolean(m_object.IFEnd(args[0].toI2(), args[1].toConnection()));
        default:
            break;
    }
    throw std::logic_error("member table and call disagree");
}

}  // namespace tarvenish
