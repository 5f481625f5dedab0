"""The zeqlink package against the virtual card (ZEQLINK_SIM=1, step clock)."""

import pytest

import zeqlink


def wait_until(predicate, limit=20000):
    for _ in range(limit):
        if predicate():
            return True
    return False


def test_lists_and_opens_the_virtual_card_by_index_and_by_description():
    descriptions = [d for _, d, _ in zeqlink.list_devices()]
    assert "ZEQ-SIM0" in descriptions
    index = descriptions.index("ZEQ-SIM0")
    with zeqlink.open(index) as by_index:
        assert by_index.handle != 0
    with zeqlink.open(description="ZEQ-SIM0") as by_description:
        assert by_description.handle != 0


def test_context_manager_closes_and_a_closed_card_raises_invalid_handle():
    with zeqlink.open(description="ZEQ-SIM0") as card:
        pass
    assert card.handle == 0
    with pytest.raises(zeqlink.ZeqError) as failure:
        card.get_cur_pos(0)
    assert failure.value.code == 6
    card.close()  # a second close does nothing


@pytest.mark.parametrize("call, code, text", [
    (lambda: zeqlink.open(99), 5, "device not found"),
    (lambda: zeqlink.open(description="NO-SUCH-CARD"), 5, "device not found"),
])
def test_failed_opens_raise_with_the_library_text(call, code, text):
    with pytest.raises(zeqlink.ZeqError) as failure:
        call()
    assert (failure.value.code, failure.value.text) == (code, text)
    assert text in str(failure.value)


def test_parameters_by_name_and_by_address_meet_on_the_card():
    with zeqlink.open(description="ZEQ-SIM0") as card:
        card.write_param("mcstgpos", -1234, axis=1)
        assert card.read_param("mcstgpos", axis=1) == -1234
        assert card.get_param32(12, axis=1) == -1234
        card.set_param32(12, 0x7FFFFFFF, axis=2)
        assert card.read_param("mcstgpos", axis=2) == 0x7FFFFFFF
        with pytest.raises(zeqlink.ZeqError) as failure:
            card.write_param("nosuchparam", 1)
        assert failure.value.code == 7


def test_motion_commands_take_user_units():
    with zeqlink.open(description="ZEQ-SIM0") as card:
        card.set_dist_scale(10.0, axis=0)  # 10 counts per user unit
        card.set_mcs_maxvel(5.0, axis=0)
        card.set_mcs_accel(50.0, axis=0)
        card.set_mcs_decel(50.0, axis=0)
        card.move_absolute(100.0, axis=0)
        assert wait_until(lambda: card.get_cur_pos(axis=0) == pytest.approx(100.0))
        assert card.read_param("curpos", axis=0) == 1000
        card.move_relative(-25.0, axis=0)
        assert wait_until(lambda: card.get_cur_pos(axis=0) == pytest.approx(75.0))


def test_library_errors_become_exceptions_with_the_error_text():
    with zeqlink.open(description="ZEQ-SIM0") as card:
        with pytest.raises(zeqlink.ZeqError) as failure:
            card.move_absolute(1.0, axis=7)
        assert failure.value.code == 10
        assert failure.value.text == "invalid axis number"
        assert failure.value.function == "ZEQ_MoveAbsolute"


def test_error_texts_and_version():
    assert zeqlink.error_text(0) == "success"
    assert zeqlink.error_text(25) == "unknown error"
    major, minor, patch = zeqlink.library_version().split(".")
    assert major.isdigit() and minor.isdigit() and patch.isdigit()
